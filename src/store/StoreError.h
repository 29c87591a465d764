#pragma once
#include <stdexcept>
#include <string>
#include <utility>

// The engine's result codes that a user can act on, by the engine's own numbers (its
// extended codes carry these in the low byte).
namespace EngineCode {
constexpr int Busy = 5;
constexpr int Locked = 6;
constexpr int ReadOnly = 8;
constexpr int Interrupt = 9; // a statement stopped by its time limit
constexpr int Corrupt = 11;
constexpr int CantOpen = 14;
constexpr int NotADatabase = 26;
} // namespace EngineCode

// What went wrong, for the window that tells the user.
enum class StoreFault {
    Engine,        // the engine refused: code() says why, the description is its message
    NoDataSource,  // the connection text names no file
    UnclosedQuote, // subject: the key whose quoted value does not end properly
    ReadOnlyFile,  // subject: the database file's path
    MissingField,  // subject: the column asked for
    NoCurrentRow,  // subject: the column asked for
    NotEditing,    // a field assigned or a row posted before edit()
    NotAnInteger,  // subject: the column; value: the stored value as shown
    NotADateTime,  // subject: the column; value: the stored text
    Other,         // the description is meant to be shown as it is
};

// A failure of the store: the engine's result code (0 when the failure is not the
// engine's), what kind of failure it is, and a neutral description (what()). The
// sentence the user reads is chosen by the window that shows it.
class StoreError : public std::runtime_error {
public:
    explicit StoreError(const std::string& description) : std::runtime_error(description) {}
    StoreError(StoreFault fault, const std::string& description, std::string subject = {}, std::string value = {})
        : std::runtime_error(description), fault_(fault), subject_(std::move(subject)), value_(std::move(value))
    {
    }
    // The engine's refusal with its message; `subject` is the file when the opening failed.
    static StoreError Engine(int code, const std::string& message, std::string subject = {})
    {
        StoreError error(StoreFault::Engine, message, std::move(subject));
        error.code_ = code;
        return error;
    }

    int code() const { return code_; }
    StoreFault fault() const { return fault_; }
    const std::string& subject() const { return subject_; }
    const std::string& value() const { return value_; }

private:
    int code_ = 0;
    StoreFault fault_ = StoreFault::Other;
    std::string subject_;
    std::string value_;
};
