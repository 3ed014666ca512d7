#include "UserNameResult.h"

UserNameOutcome GetUserNameOutcome(unsigned long result) {
    switch (result) {
    case 234: return {200, "The buffer is too small"};                 // ERROR_MORE_DATA
    case 1203: return {200, "ERROR_NO_NET_OR_BAD_PATH"};               // ERROR_NO_NET_OR_BAD_PATH
    case 1208: return {200, "A network-specific error occurred"};      // ERROR_EXTENDED_ERROR
    case 1222: return {200, "No network is present"};                  // ERROR_NO_NETWORK
    case 2250: return {200, "ERROR_NOT_CONNECTED"};                    // ERROR_NOT_CONNECTED
    default: return {0, ""};
    }
}
