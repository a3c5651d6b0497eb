#include "sim/SimulatorState.h"

#include "sim/SimulatedIndicator.h"

#include "base/Files.h"

#include <cctype>
#include <cstring>
#include <sstream>
#include <vector>

#include <sys/stat.h>

namespace qv7 {

namespace {

// A reader for exactly the shape the writer below produces, white space anywhere between tokens.
class Reader {
public:
    explicit Reader(std::string text) : text_(std::move(text)) {}

    bool token(char c) {
        skipSpace();
        if (at_ >= text_.size() || text_[at_] != c) return false;
        ++at_;
        return true;
    }
    std::optional<std::string> string() {
        if (!token('"')) return std::nullopt;
        const std::size_t end = text_.find('"', at_);
        if (end == std::string::npos) return std::nullopt;
        std::string s = text_.substr(at_, end - at_);
        at_ = end + 1;
        return s;
    }
    std::optional<std::uint16_t> word() {
        skipSpace();
        std::size_t digits = 0;
        long value = 0;
        while (at_ < text_.size() && std::isdigit(static_cast<unsigned char>(text_[at_])) && digits < 6) {
            value = value * 10 + (text_[at_++] - '0');
            ++digits;
        }
        if (digits == 0 || value > 0xFFFF) return std::nullopt;
        return static_cast<std::uint16_t>(value);
    }
    bool atEnd() {
        skipSpace();
        return at_ == text_.size();
    }

private:
    void skipSpace() {
        while (at_ < text_.size() && std::isspace(static_cast<unsigned char>(text_[at_])))
            ++at_;
    }
    std::string text_;
    std::size_t at_ = 0;
};

std::optional<std::vector<std::uint16_t>> wordList(Reader& in) {
    std::vector<std::uint16_t> words;
    if (!in.token('[')) return std::nullopt;
    if (in.token(']')) return words;
    do {
        const auto w = in.word();
        if (!w || words.size() > SimulatorState::HoldingCount) return std::nullopt;
        words.push_back(*w);
    } while (in.token(','));
    if (!in.token(']')) return std::nullopt;
    return words;
}

std::optional<SimulatorState> parse(const std::string& text) {
    Reader in(text);
    std::optional<std::uint16_t> typeWord;
    std::optional<std::vector<std::uint16_t>> holding;
    if (!in.token('{')) return std::nullopt;
    do {
        const auto key = in.string();
        if (!key || !in.token(':')) return std::nullopt;
        if (*key == "typeWord" && !typeWord)
            typeWord = in.word();
        else if (*key == "holding" && !holding)
            holding = wordList(in);
        else
            return std::nullopt;
        if ((*key == "typeWord" && !typeWord) || (*key == "holding" && !holding)) return std::nullopt;
    } while (in.token(','));
    if (!in.token('}') || !in.atEnd() || !typeWord || !holding) return std::nullopt;
    if (holding->size() != SimulatorState::HoldingCount) return std::nullopt;
    SimulatorState state;
    state.typeWord = *typeWord;
    for (int r = 0; r < SimulatorState::HoldingCount; ++r)
        state.holding[r] = (*holding)[static_cast<std::size_t>(r)];
    return state;
}

} // namespace

bool SimulatorStateFile::lock(const std::string& path) {
    path_ = path;
    switch (lock_.lock(path, true)) {
    case FileLock::Outcome::Held:
        return false;
    case FileLock::Outcome::Failed:
        throw SimulatorStateError("cannot open " + path +
                                  " for reading and writing: " + std::strerror(lock_.error()));
    case FileLock::Outcome::Locked:
        break;
    }
    struct stat info {};
    if (::fstat(lock_.fd(), &info) != 0 || !S_ISREG(info.st_mode)) {
        lock_.unlock();
        throw SimulatorStateError(path + " is not a regular file");
    }
    return true;
}

std::optional<SimulatorState> SimulatorStateFile::load() const {
    const FileRead read = readBoundedFile(lock_.fd(), SimulatorStateCap, SimulatorStateCap);
    if (read.refusal == FileRead::Refusal::TooLarge)
        throw SimulatorStateError(path_ + " is larger than any simulator state");
    if (!read.ok()) throw SimulatorStateError("cannot read " + path_);
    if (read.bytes.empty()) return std::nullopt;
    auto state = parse(read.bytes);
    if (!state) throw SimulatorStateError(path_ + " is no simulator state");
    return state;
}

void SimulatorStateFile::save(const SimulatorState& state) const {
    if (!lock_.locked()) throw SimulatorStateError("cannot write " + path_ + ": not held by this program");
    std::ostringstream text;
    text << "{\n    \"typeWord\": " << state.typeWord << ",\n    \"holding\": [";
    for (int r = 0; r < SimulatorState::HoldingCount; ++r) {
        const auto it = state.holding.find(r);
        text << (r == 0 ? "" : ", ") << (it == state.holding.end() ? 0 : it->second);
    }
    text << "]\n}\n";
    if (const int error = saveWholeFile(path_, text.str()); error != 0)
        throw SimulatorStateError("cannot write " + path_ + ": " + std::strerror(error));
}

std::unique_ptr<SimulatedIndicator> simulatedIndicatorFrom(const SimulatorState& state) {
    auto indicator = std::make_unique<SimulatedIndicator>(state.typeWord);
    for (const auto& [address, value] : state.holding)
        indicator->setHolding(address, value);
    return indicator;
}

SimulatorState simulatorStateOf(const SimulatedIndicator& indicator) {
    SimulatorState state;
    state.typeWord = indicator.input(0);
    for (int r = 0; r < SimulatorState::HoldingCount; ++r)
        state.holding[r] = indicator.holding(r);
    return state;
}

} // namespace qv7
