// Run-time errors of the tool, carrying the French messages the user sees. Raised on the window
// thread only (nothing throws on the reader thread); the application shows them in a message box.
#pragma once

#include <limits>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

namespace qv7 {

// `text` with %1 ... %9 replaced by the arguments (a number beyond them stays as it is).
std::string fillTemplate(std::string_view text, const std::vector<std::string>& arguments);

class RunTimeError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
    // A message the window shows in its own language: `text`, a French template marked for the
    // translations under `context` (a string literal), filled with `arguments`. what() is the French
    // filled in, as every reader of the message has always had it.
    RunTimeError(const char* context, const char* text, std::vector<std::string> arguments = {});

    // Null for a message without a template (what() as it is).
    const char* context() const { return context_; }
    const char* messageTemplate() const { return text_; }
    const std::vector<std::string>& arguments() const;

private:
    const char* context_ = nullptr;
    const char* text_ = nullptr;
    // Shared: copying an exception must not throw.
    std::shared_ptr<const std::vector<std::string>> arguments_;
};

// A value does not fit its field, or an index lies outside its array.
class ERangeError : public RunTimeError {
public:
    ERangeError();
    // The same error with a message that says more (which field, what it accepts).
    explicit ERangeError(const std::string& message);
};

// An integer computation overflowed.
class EIntOverflow : public RunTimeError {
public:
    EIntOverflow();
};

// A file operation failed; the message names the file or the system's error.
class EInOutError : public RunTimeError {
public:
    EInOutError(const std::string& message, int code = 0);
    // A message of the templates below (marked under "RunTimeError").
    EInOutError(const char* text, std::vector<std::string> arguments, int code = 0);
    int code() const { return code_; }

    static EInOutError cannotOpen(const std::string& fileName); // "Impossible d'ouvrir le fichier %s"
    static EInOutError cannotCreate(const std::string& fileName,
                                    int err = 0);               // "Impossible de créer le fichier %s"
    static EInOutError notRegular(const std::string& fileName); // a FIFO, directory or device
    static EInOutError tooLarge(const std::string& fileName);   // larger than any such file can be
    // Text-file errors: "Fichier introuvable", "Accès au fichier refusé", "Disque plein", "Erreur E/S %d".
    static EInOutError fromErrno(int err);

private:
    int code_;
};

// Stores a value into a narrower field, raising ERangeError when it does not fit.
template <typename To, typename From> To checked(From value) {
    static_assert(std::is_arithmetic_v<To> && std::is_arithmetic_v<From>);
    if constexpr (std::is_floating_point_v<From> && std::is_integral_v<To>) {
        // The bound is exclusive: a 64-bit maximum rounds up to 2^63 as a double, which does not fit.
        const From limit = static_cast<From>(std::numeric_limits<To>::max() / 2 + 1) * 2;
        if (!(value >= static_cast<From>(std::numeric_limits<To>::lowest()) && value < limit))
            throw ERangeError();
        return static_cast<To>(value);
    } else if constexpr (std::is_floating_point_v<From>) {
        if (!(value >= static_cast<From>(std::numeric_limits<To>::lowest()) &&
              value <= static_cast<From>(std::numeric_limits<To>::max())))
            throw ERangeError();
        return static_cast<To>(value);
    } else {
        if (!std::in_range<To>(value)) throw ERangeError();
        return static_cast<To>(value);
    }
}

// Raises ERangeError unless lo <= value <= hi.
template <typename T> T checkedRange(T value, T lo, T hi) {
    if (value < lo || value > hi) throw ERangeError();
    return value;
}

} // namespace qv7
