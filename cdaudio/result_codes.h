// SPDX-License-Identifier: GPL-3.0-or-later
// The MCI result codes our device returns, with the numbers the real device uses so
// that a user comparing notes with another system finds the same codes. ErrorText
// (cdaudio.h) gives the English text of each.
#pragma once

#include <array>
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
// No identifier of that kind on the disc ("info ... upc"); the system has no text for
// it, ours is our own.
inline constexpr ResultCode kNoIdentity = 350;

// The driver's own codes start where the system leaves room for them
// (MCIERR_CUSTOM_DRIVER_BASE). Like a real driver's, their texts are the driver's:
// they say why "open" found no drive in what kDiscVariable names, and name it.
inline constexpr ResultCode kCustomDriverBase = 512;
inline constexpr ResultCode kDiscNotThere = kCustomDriverBase;
inline constexpr ResultCode kDiscImageNotAFile = kCustomDriverBase + 1;  // a folder, a pipe
inline constexpr ResultCode kDiscOfNoKind = kCustomDriverBase + 2;       // a .wav, a folder
inline constexpr ResultCode kNotACdDrive = kCustomDriverBase + 3;        // another device node
inline constexpr ResultCode kCdDriveForbidden = kCustomDriverBase + 4;   // no permission
inline constexpr ResultCode kCdDriveRefused = kCustomDriverBase + 5;     // any other failure

// Every code above but kSuccess: each has a text.
inline constexpr std::array kErrorCodes{
    kUnrecognizedKeyword, kUnrecognizedCommand, kHardware,          kInvalidDeviceName,
    kCannotLoadDriver,    kBadInteger,          kMissingParameter,  kUnsupportedFunction,
    kDeviceNotReady,      kOutOfRange,          kFlagsNotCompatible, kDuplicateAlias,
    kBadConstant,         kBadTimeFormat,       kNoIdentity,        kDiscNotThere,
    kDiscImageNotAFile,   kDiscOfNoKind,        kNotACdDrive,       kCdDriveForbidden,
    kCdDriveRefused};

}  // namespace lyrabox::cdaudio
