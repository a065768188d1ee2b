// The MCI result codes our device returns, with the numbers the real device uses so
// that a user comparing notes with another system finds the same codes. ErrorText
// (cdaudio.h) gives the English text of each.
#pragma once

#include <cstdint>

namespace lyrabox::cdaudio {

using ResultCode = std::uint32_t;

inline constexpr ResultCode kSuccess = 0;
inline constexpr ResultCode kUnrecognizedKeyword = 259;
inline constexpr ResultCode kUnrecognizedCommand = 261;
inline constexpr ResultCode kHardware = 262;
inline constexpr ResultCode kInvalidDeviceName = 263;
inline constexpr ResultCode kCannotLoadDriver = 266;
inline constexpr ResultCode kBadInteger = 270;
inline constexpr ResultCode kMissingParameter = 273;
inline constexpr ResultCode kUnsupportedFunction = 274;
inline constexpr ResultCode kDeviceNotReady = 276;
inline constexpr ResultCode kOutOfRange = 282;
inline constexpr ResultCode kFlagsNotCompatible = 284;
inline constexpr ResultCode kDuplicateAlias = 289;
inline constexpr ResultCode kBadConstant = 290;
inline constexpr ResultCode kBadTimeFormat = 293;
// No identifier of that kind on the disc ("info ... upc"); the system has no text for it.
inline constexpr ResultCode kNoIdentity = 350;

}  // namespace lyrabox::cdaudio
