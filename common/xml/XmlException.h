#pragma once
// Exceptions of the XML reader. They never leave the skin loader.
#include <cstdint>
#include <exception>

namespace XML {

class GeneralException : public std::exception {
public:
    static constexpr int kMessageSize = 128;

    explicit GeneralException(const char* message = "", int32_t code = 0);
    const char* what() const noexcept override { return message; }
    const char* Message() const { return message; }
    int32_t Code() const { return code; }

private:
    // Fixed array so that copying an exception can never throw.
    char message[kMessageSize];
    int32_t code;
};

class StreamException : public GeneralException {
public:
    explicit StreamException(const char* message = "", int32_t code = 0) : GeneralException(message, code) {}
};

}  // namespace XML
