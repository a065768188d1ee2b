#include "cdaudio/cdaudio.h"

namespace lyrabox::cdaudio {

std::string ErrorText(std::uint32_t code) {
  switch (code) {
    case 259: return "The driver cannot recognize the specified command parameter.";
    case 261: return "The driver cannot recognize the specified command.";
    case 262:
      return "There is a problem with your media device. Make sure it is working correctly "
             "or contact the device manufacturer.";
    case 263: return "The specified device is not open or is not recognized by MCI.";
    case 266: return "There is an undetectable problem in loading the specified device driver.";
    case 270: return "The specified integer is invalid for this command.";
    case 273: return "The specified command requires a parameter. Please supply one.";
    case 274: return "The MCI device you are using does not support the specified command.";
    case 276: return "The device driver is not ready.";
    case 282: return "The specified parameter is out of range for the specified command.";
    case 284: return "The specified parameters cannot be used together.";
    case 289:
      return "The specified alias is already being used in this application. Use a unique "
             "alias.";
    case 290: return "The specified parameter is invalid for this command.";
    case 293:
      return "The specified value for the time format is invalid. Refer to the MCI "
             "documentation for valid formats.";
  }
  return "";
}

}  // namespace lyrabox::cdaudio
