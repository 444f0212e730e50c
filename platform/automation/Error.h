#pragma once
// The per-thread error record: the one error channel of the system. A call that fails records its
// failure here and returns a neutral value; the caller tests Err().Number right after the call.
#include <cstdint>
#include <stdexcept>
#include <string>

namespace platform::automation {

struct ErrObject {
    int32_t Number = 0;
    std::string Source;
    std::string Description;

    void Clear();
    // Records the error (it never throws or jumps). An empty description takes the standard text of
    // the number where there is one, as the automation runtime does.
    void Raise(int32_t number, std::string source = {}, std::string description = {});
};

ErrObject& Err();

// The standard text of a runtime error number ("Type mismatch" for 13), or "Application-defined or
// object-defined error" for numbers without one.
std::string StandardErrorText(int32_t number);

// Thrown only inside stand-in implementations; Object::Invoke and the conversion wrappers catch it and
// record it in Err(), so it never reaches the system's code.
struct AutomationError : std::runtime_error {
    AutomationError(int32_t number, std::string description = {}, std::string source = {});
    int32_t number;
    std::string description;
    std::string source;
};

// Well-known runtime error numbers.
namespace errors {
inline constexpr int32_t InvalidProcedureCall = 5;
inline constexpr int32_t Overflow = 6;
inline constexpr int32_t SubscriptOutOfRange = 9;
inline constexpr int32_t TypeMismatch = 13;
inline constexpr int32_t BadFileNameOrNumber = 52;
inline constexpr int32_t FileNotFound = 53;
inline constexpr int32_t BadFileMode = 54;
inline constexpr int32_t FileAlreadyOpen = 55;
inline constexpr int32_t InputPastEndOfFile = 62;
inline constexpr int32_t PathFileAccessError = 75;
inline constexpr int32_t PathNotFound = 76;
inline constexpr int32_t ObjectNotSet = 91;
inline constexpr int32_t CantCreateObject = 429;
inline constexpr int32_t ClassNotFound = 432;
inline constexpr int32_t NotSupported = 438;
inline constexpr int32_t WrongNumberOfArguments = 450;
inline constexpr int32_t NamedArgumentNotFound = 448;
inline constexpr int32_t ArgumentNotOptional = 449;
} // namespace errors

} // namespace platform::automation
