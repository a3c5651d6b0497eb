#include "link/ReportDescriptor.h"

#include <algorithm>
#include <map>
#include <vector>

namespace qv7 {
namespace {

enum ItemType : std::uint8_t { Main = 0, Global = 1, Local = 2 };
enum MainTag : std::uint8_t { Input = 0x8, Output = 0x9 };
enum GlobalTag : std::uint8_t { ReportSize = 0x7, ReportId = 0x8, ReportCount = 0x9, Push = 0xA, Pop = 0xB };

constexpr std::uint8_t LongItemPrefix = 0xFE;
// Deeper Push nesting than any real device uses is ignored rather than grown without bound.
constexpr std::size_t MaxPushDepth = 32;
// Caps the bit counts so that hostile sizes cannot overflow; far beyond any real report.
constexpr std::uint64_t MaxReportBits = std::uint64_t{1} << 32;

struct GlobalState {
    std::uint32_t reportSize = 0;
    std::uint32_t reportCount = 0;
    std::uint32_t reportId = 0;
};

struct ReportBits {
    std::uint64_t input = 0;
    std::uint64_t output = 0;
};

std::uint32_t itemData(const std::uint8_t* data, std::size_t size) {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < size; ++i)
        value |= static_cast<std::uint32_t>(data[i]) << (8 * i);
    return value;
}

class Parser {
public:
    void item(std::uint8_t type, std::uint8_t tag, std::uint32_t value) {
        if (type == Global) global(tag, value);
        if (type == Main && (tag == Input || tag == Output)) mainItem(tag);
    }

    ReportDescriptorInfo result() const {
        std::uint64_t input = 0;
        std::uint64_t output = 0;
        for (const auto& [id, bits] : reports_) {
            input = std::max(input, bits.input);
            output = std::max(output, bits.output);
        }
        ReportDescriptorInfo info;
        info.inputLength = lengthOf(input);
        info.outputLength = lengthOf(output);
        info.numbered = numbered_;
        return info;
    }

private:
    static int lengthOf(std::uint64_t bits) {
        if (bits == 0) return 0;
        return static_cast<int>(std::min<std::uint64_t>((bits + 7) / 8 + 1, MaxReportBits / 8));
    }

    void global(std::uint8_t tag, std::uint32_t value) {
        switch (tag) {
        case ReportSize:
            state_.reportSize = value;
            break;
        case ReportCount:
            state_.reportCount = value;
            break;
        case ReportId:
            state_.reportId = value;
            numbered_ = true;
            break;
        case Push:
            if (stack_.size() < MaxPushDepth) stack_.push_back(state_);
            break;
        case Pop:
            if (!stack_.empty()) {
                state_ = stack_.back();
                stack_.pop_back();
            }
            break;
        default:
            break;
        }
    }

    void mainItem(std::uint8_t tag) {
        const std::uint64_t bits = std::uint64_t{state_.reportSize} * state_.reportCount;
        ReportBits& report = reports_[state_.reportId];
        std::uint64_t& total = tag == Input ? report.input : report.output;
        total = std::min(total + bits, MaxReportBits);
    }

    GlobalState state_;
    std::vector<GlobalState> stack_;
    std::map<std::uint32_t, ReportBits> reports_;
    bool numbered_ = false;
};

} // namespace

std::optional<ReportDescriptorInfo> parseReportDescriptor(const std::uint8_t* data, std::size_t size) {
    if (data == nullptr && size != 0) return std::nullopt;
    Parser parser;
    std::size_t pos = 0;
    while (pos < size) {
        const std::uint8_t prefix = data[pos];
        if (prefix == LongItemPrefix) {
            // Long items carry no report layout: skip them whole.
            if (size - pos < 3) return std::nullopt;
            const std::size_t dataSize = data[pos + 1];
            if (size - pos - 3 < dataSize) return std::nullopt;
            pos += 3 + dataSize;
            continue;
        }
        const std::size_t dataSize = (prefix & 0x3) == 3 ? 4 : (prefix & 0x3);
        if (size - pos - 1 < dataSize) return std::nullopt;
        const auto type = static_cast<std::uint8_t>((prefix >> 2) & 0x3);
        const auto tag = static_cast<std::uint8_t>(prefix >> 4);
        parser.item(type, tag, itemData(data + pos + 1, dataSize));
        pos += 1 + dataSize;
    }
    return parser.result();
}

} // namespace qv7
