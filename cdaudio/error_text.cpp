// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/environment_names.h"
#include "cdaudio/cdaudio.h"
#include "cdaudio/result_codes.h"

namespace lyrabox::cdaudio {

std::string ErrorText(std::uint32_t code, std::string_view disc) {
  const auto named = [disc](std::string_view why) {
    return std::string(kDiscVariable) + " names " + std::string(disc) + ", " + std::string(why);
  };
  switch (code) {
    case kUnrecognizedKeyword: return "The driver cannot recognize the specified command parameter.";
    case kUnrecognizedCommand: return "The driver cannot recognize the specified command.";
    case kHardware:
      return "There is a problem with your media device. Make sure it is working correctly "
             "or contact the device manufacturer.";
    case kInvalidDeviceName: return "The specified device is not open or is not recognized by MCI.";
    case kCannotLoadDriver:
      return "There is an undetectable problem in loading the specified device driver.";
    case kBadInteger: return "The specified integer is invalid for this command.";
    case kMissingParameter: return "The specified command requires a parameter. Please supply one.";
    case kUnsupportedFunction:
      return "The MCI device you are using does not support the specified command.";
    case kDeviceNotReady: return "The device driver is not ready.";
    case kOutOfRange: return "The specified parameter is out of range for the specified command.";
    case kFlagsNotCompatible: return "The specified parameters cannot be used together.";
    case kDuplicateAlias:
      return "The specified alias is already being used in this application. Use a unique "
             "alias.";
    case kBadConstant: return "The specified parameter is invalid for this command.";
    case kBadTimeFormat:
      return "The specified value for the time format is invalid. Refer to the MCI "
             "documentation for valid formats.";
    case kNoIdentity: return "No catalogue number (UPC) is known for this disc.";
    case kDiscNotThere: return named("which is not there.");
    case kDiscImageNotAFile: return named("which is not a file.");
    case kDiscOfNoKind:
      return named("which is neither a CD drive, nor a disc image that Lyrabox reads, nor \"" +
                   std::string(kDemoDisc) + "\".");
    case kNotACdDrive: return named("which is not a CD drive.");
    case kCdDriveForbidden: return named("a CD drive that you have no permission to open.");
    case kCdDriveRefused: return named("a CD drive that cannot be opened.");
  }
  return "";
}

std::string Device::ErrorText(std::uint32_t code) { return cdaudio::ErrorText(code); }

}  // namespace lyrabox::cdaudio
