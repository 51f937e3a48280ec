#pragma once
// Exceptions of the XML reader. They never leave the skin loader.
#include <cstdint>
#include <exception>

namespace XML {

class CGeneralException : public std::exception {
public:
    static constexpr int kMessageSize = 128;

    explicit CGeneralException(const char* message = "", int32_t code = 0);
    const char* what() const noexcept override { return message_; }
    const char* Message() const { return message_; }
    int32_t Code() const { return code_; }

private:
    // Fixed array so that copying an exception can never throw.
    char message_[kMessageSize];
    int32_t code_;
};

class CStreamException : public CGeneralException {
public:
    explicit CStreamException(const char* message = "", int32_t code = 0) : CGeneralException(message, code) {}
};

}  // namespace XML
