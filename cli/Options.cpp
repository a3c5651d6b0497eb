#include "cli/Options.h"

#include "sim/SimulatedIndicator.h"

#include <QSet>

namespace qv7::cli {

namespace {

const QSet<QString> Commands = {"list",     "read",      "write",    "show",     "diff",
                                "lin-read", "lin-write", "lin-show", "udev-rule"};

// Commands and how many file operands they take.
int operandCount(const QString& command) {
    return (command == "write" || command == "show" || command == "diff" || command == "lin-write" ||
            command == "lin-show")
               ? 1
               : 0;
}

// "--name=value" or "--name value"; advances i past a separate value.
std::optional<QString> valueOf(const QStringList& args, qsizetype& i, const QString& name, QString& error) {
    const QString& arg = args[i];
    if (arg.startsWith(name + '=')) return arg.mid(name.size() + 1);
    if (i + 1 < args.size()) return args[++i];
    error = QStringLiteral("%1 needs a value").arg(name);
    return std::nullopt;
}

// "silent", "drop:N", "delay:MS[:N]" or "writefail:N", each number a whole number from 0.
bool parseFault(const QString& text) {
    const QStringList parts = text.split(':');
    const auto number = [&](int at) {
        bool ok = false;
        return parts.size() > at && parts[at].toInt(&ok) >= 0 && ok;
    };
    if (parts[0] == "silent") return parts.size() == 1;
    if (parts[0] == "drop" || parts[0] == "writefail") return parts.size() == 2 && number(1);
    if (parts[0] == "delay")
        return (parts.size() == 2 || parts.size() == 3) && number(1) && (parts.size() == 2 || number(2));
    return false;
}

// One option at args[i]; false with `error` set when it is not understood.
bool parseOption(const QStringList& args, qsizetype& i, Options& o, QString& error) {
    const QString& arg = args[i];
    if (arg == "--help" || arg == "-h") return o.help = true;
    if (arg == "--version") return o.version = true;
    if (arg == "--json") return o.json = true;
    if (arg == "--trace") return o.trace = true;
    if (arg == "--stats") return o.stats = true;
    if (arg == "--simulate") return o.simulate = true;
    if (arg.startsWith("--simulate=")) {
        const auto word = parseTypeWord(arg.mid(11));
        if (!word)
            error = QStringLiteral("bad type word \"%1\" (hex 0x0000-0xFFFF or decimal)").arg(arg.mid(11));
        o.simulate = true;
        o.simulateTypeWord = word.value_or(0);
        return word.has_value();
    }
    if (arg.startsWith("--simulate-fault=")) {
        o.simulateFault = arg.mid(17);
        if (!parseFault(o.simulateFault)) error = QStringLiteral("unknown fault \"%1\"").arg(o.simulateFault);
        return error.isEmpty();
    }
    if (arg.startsWith("--simulate-state=")) {
        o.simulateState = arg.mid(17);
        if (o.simulateState.isEmpty()) error = QStringLiteral("--simulate-state needs a file name");
        return error.isEmpty();
    }
    if (arg == "-o" || arg == "--output" || arg.startsWith("--output=")) {
        const auto v = valueOf(args, i, arg == "-o" ? arg : QStringLiteral("--output"), error);
        if (v) o.output = *v;
        return v.has_value();
    }
    if (arg == "--device" || arg.startsWith("--device=")) {
        const auto v = valueOf(args, i, QStringLiteral("--device"), error);
        bool ok = false;
        if (v) o.device = v->toInt(&ok);
        if (v && (!ok || o.device < 1)) error = QStringLiteral("--device takes a number from 1");
        return error.isEmpty();
    }
    if (arg == "--timeout" || arg.startsWith("--timeout=")) {
        const auto v = valueOf(args, i, QStringLiteral("--timeout"), error);
        bool ok = false;
        if (v) o.timeoutSeconds = v->toDouble(&ok);
        if (v && (!ok || o.timeoutSeconds <= 0 || o.timeoutSeconds > 3600))
            error = QStringLiteral("--timeout takes seconds, more than 0 and at most 3600");
        return error.isEmpty();
    }
    error = QStringLiteral("unknown option %1").arg(arg);
    return false;
}

} // namespace

std::optional<std::uint16_t> parseTypeWord(const QString& text) {
    bool ok = false;
    const bool isHex = text.startsWith("0x", Qt::CaseInsensitive);
    const uint value = isHex ? text.mid(2).toUInt(&ok, 16) : text.toUInt(&ok, 10);
    if (!ok || value > 0xFFFF) return std::nullopt;
    return static_cast<std::uint16_t>(value);
}

ParseResult parseOptions(const QStringList& args) {
    Options o;
    o.simulateTypeWord = SimulatedIndicator::DefaultTypeWord;
    QString error;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& arg = args[i];
        if (arg.startsWith('-') && arg != "-") {
            if (!parseOption(args, i, o, error)) return {std::nullopt, error};
        } else if (o.command.isEmpty()) {
            o.command = arg;
        } else {
            o.arguments << arg;
        }
    }
    if (o.help || o.version) return {o, {}};
    if (o.command.isEmpty()) return {std::nullopt, QStringLiteral("no command given")};
    if (!Commands.contains(o.command))
        return {std::nullopt, QStringLiteral("unknown command \"%1\"").arg(o.command)};
    if (!o.output.isEmpty() && o.command != "read" && o.command != "lin-read")
        return {std::nullopt, QStringLiteral("-o is for read and lin-read only")};
    if (o.arguments.size() != operandCount(o.command))
        return {std::nullopt, operandCount(o.command)
                                  ? QStringLiteral("%1 takes one file").arg(o.command)
                                  : QStringLiteral("%1 takes no file operand").arg(o.command)};
    return {o, {}};
}

QString helpText() {
    return QStringLiteral(
        "Usage: qv7ctl COMMAND [OPTIONS]\n"
        "Configures a QV7 panel indicator attached by USB, from scripts and production lines.\n"
        "\n"
        "Commands:\n"
        "  list                  the attached indicators, numbered from 1\n"
        "  read [-o FILE.QV]     read every parameter and print it; -o also saves a parameter file\n"
        "  write FILE.QV         check the file against the indicator, write it, read it back and\n"
        "                        report every field that differs\n"
        "  show FILE.QV          print a parameter file (no indicator needed)\n"
        "  diff FILE.QV          compare a parameter file with the indicator, field by field\n"
        "  lin-read [-o FILE.LIN]\n"
        "                        read the linearisation table and print its points; -o also saves\n"
        "                        the points in use as the editor saves a .LIN file\n"
        "  lin-write FILE.LIN    write a .LIN file's curve (at most 32 points) to the table, read it\n"
        "                        back and report every point that differs\n"
        "  lin-show FILE.LIN     print a .LIN file's points and the editor's warnings (no indicator\n"
        "                        needed)\n"
        "  udev-rule             print the udev rule that gives the logged-in user the indicator\n"
        "\n"
        "Options:\n"
        "  -o, --output FILE     (read) save the parameters to FILE (200 bytes, replaced atomically);\n"
        "                        (lin-read) save the linearisation curve to FILE.LIN\n"
        "  --json                (read, show, write, lin-read, lin-show, lin-write) print one JSON\n"
        "                        object instead of text; for the curves {\"points\": [[x, y], ...],\n"
        "                        \"messages\": [...]}, in percent of full scale\n"
        "  --device N            use the N-th attached indicator (default 1)\n"
        "  --timeout SECONDS     give up when a request stays unanswered this long (default 5)\n"
        "  --trace               print every Modbus frame on stderr (\"TX : ...\" / \"RX : ...\")\n"
        "  --stats               print the transfer time and the bytes on the line on stderr\n"
        "  --simulate[=TYPEWORD] use the built-in simulated indicator (type word in hex 0x... or\n"
        "                        decimal; default 0x4053), its serial line timed as 9600 8N2\n"
        "  --help, --version\n"
        "\n"
        "For testing, with --simulate:\n"
        "  --simulate-fault=silent   the indicator answers nothing\n"
        "  --simulate-fault=drop:N   the replies to the next N requests are lost\n"
        "  --simulate-fault=delay:MS[:N]  the replies to the next N requests (or to every request)\n"
        "                            come MS milliseconds late\n"
        "  --simulate-fault=writefail:N   the next N output reports to the bridge fail\n"
        "  --simulate-state=FILE     keep the simulated registers in FILE between runs\n"
        "\n"
        "Exit codes:\n"
        "  0  success (write: every field read back as written; diff: no difference)\n"
        "  1  usage error\n"
        "  2  no indicator attached, it does not open, or another program drives it\n"
        "  3  the indicator did not answer within the time-out\n"
        "  4  file error: cannot read or write it, or the parameter or .LIN file is rejected\n"
        "     (lin-write: also a curve of more than 32 points; lin-read: a table out of range)\n"
        "  5  write read back differing fields, or diff found differences (lin-write: points)\n");
}

} // namespace qv7::cli
