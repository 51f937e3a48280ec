#include "common/xml/XmlException.h"

namespace XML {

CGeneralException::CGeneralException(const char* text, int32_t errorCode) : message_{}, code_(errorCode) {
    // Longer messages are cut; the array always keeps its terminator.
    if (text) {
        for (int i = 0; i < kMessageSize - 1 && text[i]; ++i)
            message_[i] = text[i];
    }
}

}  // namespace XML
