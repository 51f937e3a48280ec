#include "common/xml/XmlException.h"

namespace XML {

GeneralException::GeneralException(const char* text, int32_t errorCode) : message{}, code(errorCode) {
    // Longer messages are cut; the array always keeps its terminator.
    if (text) {
        for (int i = 0; i < kMessageSize - 1 && text[i]; ++i)
            message[i] = text[i];
    }
}

}  // namespace XML
