#include "app/Options.h"

#include "sim/Faults.h"
#include "sim/SimulatorOptions.h"

namespace qv7 {

namespace {

bool parseCount(const QString& text, int& value) {
    bool ok = false;
    const int number = text.toInt(&ok, 10);
    if (!ok || number < 1 || number > MaxSimulatedDevices) return false;
    value = number;
    return true;
}

int parseFile(const QString& arg, Options& options) {
    if (!options.file.isEmpty()) {
        options.error = QStringLiteral("only one file can be opened: %1 and %2").arg(options.file, arg);
        return 0;
    }
    if (openKindOf(arg) == OpenKind::None) {
        options.error =
            QStringLiteral("%1: not a parameter file (.QV) or a linearisation file (.LIN)").arg(arg);
        return 0;
    }
    options.file = arg;
    return 1;
}

// Handles one argument (and the next one for an option that takes a separate value); returns how
// many arguments it used, 0 on an error.
int parseOne(const QStringList& args, int i, Options& options) {
    const QString& arg = args.at(i);
    if (arg == QLatin1String("--help") || arg == QLatin1String("-h")) {
        options.help = true;
        return 1;
    }
    if (arg == QLatin1String("--version")) {
        options.version = true;
        return 1;
    }
    if (arg == QLatin1String("--trace")) {
        options.trace = true;
        return 1;
    }
    if (arg == QLatin1String("--capture") || arg.startsWith(QLatin1String("--capture="))) {
        const bool separate = arg == QLatin1String("--capture");
        options.capture = separate ? args.value(i + 1) : arg.mid(10);
        if (!options.capture.isEmpty()) return separate ? 2 : 1;
        options.error = QStringLiteral("--capture needs a file name");
        return 0;
    }
    if (arg == QLatin1String("--service")) {
        options.service = true;
        return 1;
    }
    if (arg == QLatin1String("--lang") || arg.startsWith(QLatin1String("--lang="))) {
        const bool separate = arg == QLatin1String("--lang");
        const QString name = separate ? args.value(i + 1) : arg.mid(7);
        options.language = languageNamed(name);
        if (options.language) return separate ? 2 : 1;
        options.error = QStringLiteral("--lang takes fr or en, not '%1'").arg(name);
        return 0;
    }
    if (arg == QLatin1String("--simulate")) {
        options.simulate = true;
        return 1;
    }
    if (arg.startsWith(QLatin1String("--simulate="))) {
        options.simulate = true;
        if (const auto word = parseTypeWord(arg.mid(11).toStdString())) {
            options.typeWord = *word;
            return 1;
        }
        options.error = QStringLiteral("invalid type word: %1").arg(arg.mid(11));
        return 0;
    }
    if (arg.startsWith(QLatin1String("--simulate-state="))) {
        options.simulate = true;
        options.simulateState = arg.mid(17);
        if (!options.simulateState.isEmpty()) return 1;
        options.error = QStringLiteral("--simulate-state needs a file name");
        return 0;
    }
    if (arg.startsWith(QLatin1String("--simulate-fault="))) {
        options.simulate = true;
        options.simulateFault = arg.mid(17);
        if (isSimulatedFault(options.simulateFault.toStdString())) return 1;
        options.error = QStringLiteral("unknown fault: %1").arg(options.simulateFault);
        return 0;
    }
    if (arg == QLatin1String("--simulate-count") || arg.startsWith(QLatin1String("--simulate-count="))) {
        const bool joined = arg.contains(u'=');
        if (!joined && i + 1 >= args.size()) {
            options.error = QStringLiteral("--simulate-count needs a number");
            return 0;
        }
        const QString value = joined ? arg.mid(arg.indexOf(u'=') + 1) : args.at(i + 1);
        options.simulate = true;
        if (parseCount(value, options.simulateCount)) return joined ? 1 : 2;
        options.error =
            QStringLiteral("invalid device count: %1 (1 to %2)").arg(value).arg(MaxSimulatedDevices);
        return 0;
    }
    if (!arg.startsWith(u'-') || arg == QLatin1String("-")) return parseFile(arg, options);
    options.error = QStringLiteral("unknown option: %1").arg(arg);
    return 0;
}

} // namespace

OpenKind openKindOf(const QString& file) {
    if (file.endsWith(QLatin1String(".qv"), Qt::CaseInsensitive)) return OpenKind::Parameters;
    if (file.endsWith(QLatin1String(".lin"), Qt::CaseInsensitive)) return OpenKind::Curve;
    return OpenKind::None;
}

Options parseOptions(const QStringList& arguments) {
    Options options;
    for (int i = 0; i < arguments.size();) {
        const int used = parseOne(arguments, i, options);
        if (used == 0) return options;
        i += used;
    }
    return options;
}

QString usageText() {
    return QStringLiteral(
        "Usage: qv7cfg [options] [FILE]\n"
        "Configures the Zeq panel indicators attached over USB.\n\n"
        "  FILE                   a parameter file (.QV) to load once the indicator was read, as\n"
        "                         the Load button does, or a linearisation file (.LIN) to open\n"
        "                         in the curve editor\n"
        "  --simulate[=TYPEWORD]  use a simulated indicator instead of USB; TYPEWORD in hex\n"
        "                         (0x4053) or decimal, default 0x4053\n"
        "  --simulate-count N     simulate N indicators (1 to 16), to choose one of them\n"
        "  --simulate-state=FILE  start the simulated indicator from the registers in FILE (as\n"
        "                         qv7ctl keeps them) and keep what it holds there at the end\n"
        "  --simulate-fault=FAULT the simulated indicators misbehave: silent, drop:N,\n"
        "                         delay:MS[:N], writefail:N, crc:N or exception:CODE[:N]\n"
        "  --trace                print every Modbus frame (TX : / RX : ) to stderr\n"
        "  --capture FILE         save every frame sent and received as a pcapng capture (link\n"
        "                         type USER0, 147) when the window closes; F9 shows the frames\n"
        "  --service              show the service page (USB bridge firmware, input adjustments)\n"
        "                         for technicians; firmware commands ask before they are sent\n"
        "  --lang fr|en           the window's language (default: the desktop's; French for\n"
        "                         a French desktop and the C locale, English for any other)\n"
        "  -h, --help             show this text\n"
        "  --version              show the program's version\n\n"
        "A second copy started while one runs brings the running window to the front, hands it\n"
        "FILE to open and ends.\n");
}

QString versionText() {
    return QString::fromLatin1("qv7cfg " QV7_VERSION "\n");
}

QString earlyAnswer(int argc, const char* const* argv) {
    for (int i = 1; i < argc; ++i) {
        const QByteArray arg(argv[i]);
        if (arg == "--help" || arg == "-h") return usageText();
        if (arg == "--version") return versionText();
    }
    return {};
}

} // namespace qv7
