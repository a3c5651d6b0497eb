#include "cli/Options.h"

#include "base/Files.h"
#include "indicator/FileAccess.h"
#include "indicator/Measures.h"
#include "sim/Faults.h"
#include "sim/SimulatedIndicator.h"
#include "sim/SimulatorOptions.h"

#include <QSet>

namespace qv7::cli {

namespace {

const QSet<QString> Commands = {"list",      "read",     "write",     "show",   "diff", "lin-read",
                                "lin-write", "lin-show", "udev-rule", "adjust", "adc",  "set",
                                "import",    "report",   "lin-fit",   "sheet"};
// Commands with a JSON form; elsewhere --json is refused rather than silently ignored.
const QSet<QString> JsonCommands = {"list",     "read",      "write",    "show", "diff",
                                    "lin-read", "lin-write", "lin-show", "adc",  "lin-fit"};
const QStringList AdjustTargets = {"zero1", "fullscale1", "zero2", "fullscale2"};
// Commands that --all runs on every attached indicator at once.
const QSet<QString> AllCommands = {"read", "write", "diff", "lin-write", "adjust", "sheet"};

// Commands and how many file operands they take.
int operandCount(const QString& command) {
    return (command == "write" || command == "show" || command == "lin-fit" || command == "diff" ||
            command == "lin-write" || command == "lin-show" || command == "adjust" || command == "import")
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

// One of the simulated indicator's faults (sim/Faults.h) or "internal", with an optional "@SERIAL"
// naming the one simulated indicator it applies to.
bool parseFault(const QString& fault) {
    const QString text = fault.section('@', 0, 0);
    if (fault.count('@') > 1 || (fault.contains('@') && fault.section('@', 1).isEmpty())) return false;
    return text == "internal" || qv7::isSimulatedFault(text.toStdString());
}

// lin-fit's --points (2-32) and --samples (2-100000).
bool parseCount(const QStringList& args, qsizetype& i, Options& o, QString& error) {
    const bool points = args[i].startsWith("--points");
    const QString name = points ? QStringLiteral("--points") : QStringLiteral("--samples");
    const auto v = valueOf(args, i, name, error);
    if (!v) return false;
    bool ok = false;
    const int value = v->toInt(&ok);
    const int low = points ? LinFitMinPoints : 2;
    const int high = points ? LinFitMaxPoints : MeasureMaxPairs;
    if (!ok || value < low || value > high)
        error = QStringLiteral("%1 takes a number from %2 to %3").arg(name).arg(low).arg(high);
    (points ? o.points : o.samples) = value;
    return error.isEmpty();
}

bool isOption(const QString& arg, const char* name) {
    return arg == QLatin1String(name) || arg.startsWith(QLatin1String(name) + QLatin1Char('='));
}

// An option at args[i] that takes a text which may not be empty ("--lin F", "--lin=F").
bool textOption(const QStringList& args, qsizetype& i, QString& target, const QString& what, QString& error) {
    const QString name = args[i].section('=', 0, 0);
    const auto v = valueOf(args, i, name, error);
    if (v) target = *v;
    if (v && target.isEmpty()) error = QStringLiteral("%1 needs %2").arg(name, what);
    return error.isEmpty();
}

// sheet's --lang fr|en and --paper a4|letter.
bool sheetChoice(const QStringList& args, qsizetype& i, Options& o, QString& error) {
    const bool lang = args[i].startsWith("--lang");
    QString& target = lang ? o.lang : o.paper;
    if (!textOption(args, i, target, lang ? QStringLiteral("fr or en") : QStringLiteral("a4 or letter"),
                    error))
        return false;
    target = target.toLower();
    if (lang ? (target != "fr" && target != "en") : (target != "a4" && target != "letter"))
        error = lang ? QStringLiteral("--lang takes fr or en") : QStringLiteral("--paper takes a4 or letter");
    return error.isEmpty();
}

// A sheet is made of one parameter file (its curve with --table) or read from indicators.
QString checkSheet(const Options& o) {
    const bool sheetOption = !o.table.isEmpty() || !o.against.isEmpty() || o.lang != "en" || o.paper != "a4";
    if (o.command != "sheet")
        return sheetOption ? QStringLiteral("--table, --against, --lang and --paper are for sheet only")
                           : QString();
    if (o.output.isEmpty()) return QStringLiteral("sheet needs -o SHEET.pdf");
    if (o.arguments.size() > 1) return QStringLiteral("sheet takes at most one file");
    if (!o.arguments.isEmpty() && (o.simulate || o.all || !o.serial.isEmpty() || o.deviceGiven))
        return QStringLiteral("sheet takes a parameter file or an indicator, not both");
    if (!o.table.isEmpty() && o.arguments.isEmpty())
        return QStringLiteral("--table goes with a parameter file (an indicator's own table is read)");
    return {};
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
        const auto word = parseTypeWord(arg.mid(11).toStdString());
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
    if (arg == "--all") return o.all = true;
    if (arg == "--off-data") return o.offData = true;
    if (arg == "--free-ends") return o.freeEnds = true;
    if (arg == "--watch") return o.watch = true;
    if (isOption(arg, "--log")) return textOption(args, i, o.log, QStringLiteral("a file name"), error);
    if (isOption(arg, "--capture"))
        return textOption(args, i, o.capture, QStringLiteral("a file name"), error);
    if (arg == "--interval" || arg.startsWith("--interval=")) {
        const auto v = valueOf(args, i, QStringLiteral("--interval"), error);
        bool ok = false;
        if (v) o.intervalMs = v->toInt(&ok);
        if (v && (!ok || o.intervalMs < 1 || o.intervalMs > 3600000))
            error = QStringLiteral("--interval takes milliseconds, from 1 to 3600000");
        return error.isEmpty();
    }
    if (isOption(arg, "--lin")) return textOption(args, i, o.lin, QStringLiteral("a file name"), error);
    if (isOption(arg, "--table")) return textOption(args, i, o.table, QStringLiteral("a file name"), error);
    if (isOption(arg, "--against"))
        return textOption(args, i, o.against, QStringLiteral("a file name"), error);
    if (isOption(arg, "--lang") || isOption(arg, "--paper")) return sheetChoice(args, i, o, error);
    if (isOption(arg, "--serial"))
        return textOption(args, i, o.serial, QStringLiteral("a serial number"), error);
    if (arg == "--simulate-count" || arg.startsWith("--simulate-count=")) {
        const auto v = valueOf(args, i, QStringLiteral("--simulate-count"), error);
        bool ok = false;
        if (v) o.simulateCount = v->toInt(&ok);
        if (v && (!ok || o.simulateCount < 1 || o.simulateCount > MaxSimulatedDevices))
            error = QStringLiteral("--simulate-count takes a number from 1 to %1").arg(MaxSimulatedDevices);
        o.simulate = true;
        return error.isEmpty();
    }
    if (arg == "--device" || arg.startsWith("--device=")) {
        const auto v = valueOf(args, i, QStringLiteral("--device"), error);
        bool ok = false;
        if (v) o.device = v->toInt(&ok);
        o.deviceGiven = true;
        if (v && (!ok || o.device < 1)) error = QStringLiteral("--device takes a number from 1");
        return error.isEmpty();
    }
    if (arg == "--points" || arg.startsWith("--points=") || arg == "--samples" ||
        arg.startsWith("--samples="))
        return parseCount(args, i, o, error);
    if (arg == "--shape" || arg.startsWith("--shape=")) {
        const auto v = valueOf(args, i, QStringLiteral("--shape"), error);
        if (v) o.shape = *v;
        if (v && !linShapeNamed(o.shape.toStdString()))
            error = QStringLiteral("--shape takes sqrt, hcyl or sphere");
        return error.isEmpty();
    }
    if (arg == "--cutoff" || arg.startsWith("--cutoff=")) {
        const auto v = valueOf(args, i, QStringLiteral("--cutoff"), error);
        bool ok = false;
        if (v) o.cutoff = v->toDouble(&ok);
        if (v && (!ok || !(o.cutoff >= 0 && o.cutoff < 100)))
            error = QStringLiteral("--cutoff takes a percentage of the input, from 0 up to 100");
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

// --all, --serial and --device each pick the indicators; only one of them may be given.
QString checkSelection(const Options& o) {
    if (int(o.all) + int(!o.serial.isEmpty()) + int(o.deviceGiven) > 1)
        return QStringLiteral("--all, --serial and --device exclude each other");
    if (o.all && !AllCommands.contains(o.command))
        return QStringLiteral("--all is for read, write, diff, lin-write, adjust and sheet only");
    if (o.all && o.json) return QStringLiteral("--all prints one line per indicator and has no --json form");
    if (!o.log.isEmpty() && !AllCommands.contains(o.command))
        return QStringLiteral("--log is for read, write, diff, lin-write, adjust and sheet only");
    if (o.watch && o.command != "adc" && o.command != "adjust")
        return QStringLiteral("--watch is for adc and adjust only");
    if (o.watch && o.all) return QStringLiteral("--watch reads one indicator and has no --all form");
    if (o.command == "adjust" && !o.arguments.isEmpty() && !AdjustTargets.contains(o.arguments.first()))
        return QStringLiteral("adjust takes zero1, fullscale1, zero2 or fullscale2");
    return {};
}

// lin-fit takes a data file or --shape, not both; the fit's options are its own.
// Two outputs written through one held descriptor ("-o - --capture -", "-o /dev/stdout --capture
// /dev/fd/1") would run their bytes into each other: refused before anything is sent.
QString checkStreams(const Options& o) {
    const QList<std::pair<QString, QString>> outputs = {{QStringLiteral("-o"), o.output},
                                                        {QStringLiteral("--capture"), o.capture},
                                                        {QStringLiteral("--log"), o.log}};
    for (qsizetype i = 0; i < outputs.size(); ++i)
        for (qsizetype j = i + 1; j < outputs.size(); ++j) {
            const int fd = outputs[i].second.isEmpty() ? -1 : heldStream(fileNameBytes(outputs[i].second));
            if (fd >= 0 && !outputs[j].second.isEmpty() && heldStream(fileNameBytes(outputs[j].second)) == fd)
                return QStringLiteral("%1 %2 and %3 %4 both write to descriptor %5; give one of them a file")
                    .arg(outputs[i].first, outputs[i].second, outputs[j].first, outputs[j].second)
                    .arg(fd);
        }
    return {};
}

QString checkFit(const Options& o) {
    const bool fitOption = o.points != 32 || !o.shape.isEmpty() || o.samples != 1001 || o.cutoff != 0.0 ||
                           o.offData || o.freeEnds;
    if (o.command != "lin-fit")
        return fitOption
                   ? QStringLiteral("--points, --shape, --samples, --cutoff, --off-data and --free-ends "
                                    "are for lin-fit only")
                   : QString();
    if (o.freeEnds && !o.offData) return QStringLiteral("--free-ends goes with --off-data");
    if (!o.shape.isEmpty() && !o.arguments.isEmpty())
        return QStringLiteral("lin-fit takes a data file or --shape, not both");
    if (o.shape.isEmpty() && (o.samples != 1001 || o.cutoff != 0.0))
        return QStringLiteral("--samples and --cutoff go with --shape");
    if (o.cutoff != 0.0 && o.shape != "sqrt") return QStringLiteral("--cutoff goes with --shape sqrt");
    return {};
}

} // namespace

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
    static const QSet<QString> OutputCommands = {"read", "lin-read", "import", "report", "lin-fit", "sheet"};
    if (!o.output.isEmpty() && !OutputCommands.contains(o.command))
        return {std::nullopt,
                QStringLiteral("-o is for read, lin-read, lin-fit, import, report and sheet only")};
    if (const QString error = checkSheet(o); !error.isEmpty()) return {std::nullopt, error};
    if (const QString error = checkFit(o); !error.isEmpty()) return {std::nullopt, error};
    if (!o.lin.isEmpty() && o.command != "write")
        return {std::nullopt, QStringLiteral("--lin is for write only")};
    if ((o.command == "import" || o.command == "report") && o.output.isEmpty())
        return {std::nullopt, QStringLiteral("%1 needs -o FILE").arg(o.command)};
    if (o.command == "set" && o.arguments.size() < 2)
        return {std::nullopt, QStringLiteral("set takes a file and at least one KEY=VALUE")};
    if (o.json && !JsonCommands.contains(o.command))
        return {std::nullopt, QStringLiteral("%1 has no --json form").arg(o.command)};
    if (const QString error = checkSelection(o); !error.isEmpty()) return {std::nullopt, error};
    if (const QString error = checkStreams(o); !error.isEmpty()) return {std::nullopt, error};
    if (o.command != "set" && o.command != "sheet" && !(o.command == "lin-fit" && !o.shape.isEmpty()) &&
        o.arguments.size() != operandCount(o.command))
        return {std::nullopt,
                operandCount(o.command)
                    ? (o.command == "adjust" ? QStringLiteral("adjust takes one target")
                                             : QStringLiteral("%1 takes one file").arg(o.command))
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
        "  write FILE.QV [--lin FILE.LIN]\n"
        "                        check the file against the indicator, write it, read it back and\n"
        "                        report every field that differs; with --lin the .LIN file's curve\n"
        "                        is written to the table first and read back too (without it, a\n"
        "                        file that turns linearisation on is written with a warning)\n"
        "  show FILE.QV          print a parameter file (no indicator needed)\n"
        "  diff FILE.QV          compare a parameter file with the indicator, field by field\n"
        "  lin-read [-o FILE.LIN]\n"
        "                        read the linearisation table and print its points; -o also saves\n"
        "                        the points in use as the editor saves a .LIN file\n"
        "  lin-write FILE.LIN    write a .LIN file's curve (at most 32 points) to the table, read it\n"
        "                        back and report every point that differs\n"
        "  lin-show FILE.LIN     print a .LIN file's points and the editor's warnings (no indicator\n"
        "                        needed)\n"
        "  lin-fit DATA.csv [--points N] [--off-data [--free-ends]] [-o FILE.LIN]\n"
        "  lin-fit --shape sqrt|hcyl|sphere [--samples M] [--cutoff P] [--points N] [-o FILE.LIN]\n"
        "                        choose the N points (2-32, default 32) whose curve deviates least\n"
        "                        from measured pairs (input %, output %; two columns separated by\n"
        "                        ',', ';' or TAB, decimal '.' or, after ';' or TAB, ','; '#' comments)\n"
        "                        or from a built-in shape sampled M times (default 1001): square root\n"
        "                        (0 below the cut-off P % of the input), horizontal cylindrical tank,\n"
        "                        spherical tank; prints the points, the largest deviation and where,\n"
        "                        and the same figure for N evenly spread points; -o saves the points\n"
        "                        as the editor saves a .LIN file (two decimals) and the deviation\n"
        "                        printed is then that of the saved points (no indicator needed);\n"
        "                        --off-data lets the points' outputs leave the data to share the\n"
        "                        deviation out (often half of it), the first and last outputs kept\n"
        "                        unless --free-ends\n"
        "  report -o FILE.tar.gz make a support archive: the versions (qv7ctl, Qt, hidapi, libmodbus,\n"
        "                        kernel), the attached indicators and whether this user may open\n"
        "                        them (udev rule installed or not), a trace of one read-all, and\n"
        "                        the parameters and linearisation table read (also made when the\n"
        "                        indicator cannot be read: errors.txt then says why)\n"
        "  sheet FILE.QV [--table FILE.LIN] -o SHEET.pdf\n"
        "  sheet [--serial S | --device N | --all] -o SHEET.pdf\n"
        "                        make the configuration sheet (PDF) of a parameter file, or of an\n"
        "                        indicator read now (its linearisation table too when it uses one):\n"
        "                        model, serial number, type word, date, SHA-256 of the 200 bytes,\n"
        "                        every parameter the indicator has with its unit and range, grouped\n"
        "                        as the window's pages, the alarms as one table, the curve with its\n"
        "                        points, and sign-off lines; --lang fr|en (default en), --paper\n"
        "                        a4|letter (default a4), --against REF.QV marks the rows diff would\n"
        "                        list against REF.QV; with --all each indicator's sheet is\n"
        "                        SHEET-SERIAL.pdf; saved whole or not at all\n"
        "  udev-rule             print the udev rule that gives the logged-in user the indicator\n"
        "  adjust zero1|fullscale1|zero2|fullscale2\n"
        "                        start the indicator's own adjustment of input 1 or 2 (zero or full\n"
        "                        scale, with that input held at its reference) and check that the\n"
        "                        indicator took the command\n"
        "  adc                   read the two converter values of the inputs and print them\n"
        "  adc --watch [--interval MS]\n"
        "                        read them again and again (every 250 ms by default, never faster\n"
        "                        than the line answers), one line per reading with the seconds\n"
        "                        since the start (--json: one object a line, {\"time\": s, \"adc1\":\n"
        "                        v1, \"adc2\": v2}), until Ctrl+C (exit 0) or the indicator is lost\n"
        "                        (exit 3); adjust --watch does the same after its command\n"
        "  set FILE.QV KEY=VALUE...\n"
        "                        change fields of a parameter file (no indicator needed); KEY as\n"
        "                        show --json names it, VALUE its text as show prints it (\"19200\",\n"
        "                        \"1.50 s\") or else its raw number, each checked against what the\n"
        "                        parameter pages accept for the file's indicator type; the file\n"
        "                        is replaced atomically, and only when every value is accepted;\n"
        "                        runs of set and import on one file take turns (a lock held from\n"
        "                        the read to the save, waited for at most --timeout)\n"
        "  import FILE.json -o FILE.QV\n"
        "                        make the parameter file that show --json described (bytes the\n"
        "                        record does not use are written as zeros)\n"
        "\n"
        "Options:\n"
        "  -o, --output FILE     (read) save the parameters to FILE (200 bytes, replaced atomically;\n"
        "                        \"-\", /dev/stdout and /dev/fd/N write to that stream as the shell\n"
        "                        opened it, and no two outputs may share one);\n"
        "                        (lin-read) save the linearisation curve to FILE.LIN;\n"
        "                        (lin-fit) the .LIN file of the fitted points;\n"
        "                        (import) the parameter file to make; (report) the archive;\n"
        "                        (sheet) the PDF\n"
        "  --json                (list, read, show, write, diff, lin-read, lin-show, lin-write, adc,\n"
        "                        lin-fit: {\"points\": [[x, y], ...], \"max_error\": e, \"at\": x,\n"
        "                        \"even_spacing_error\": e2})\n"
        "                        print one JSON object instead of text; for the curves\n"
        "                        {\"points\": [[x, y], ...], \"messages\": [...]}, in percent of full\n"
        "                        scale; refused by the other commands\n"
        "  --lin FILE.LIN        (write) write this curve to the linearisation table first\n"
        "  --device N            use the N-th attached indicator (default 1)\n"
        "  --serial S            use the indicator whose USB serial number is S (it stays the same\n"
        "                        whichever port it is plugged into)\n"
        "  --all                 (read, write, diff, lin-write, adjust, sheet) every attached indicator,\n"
        "                        all at once: one line per indicator (serial number, model,\n"
        "                        result), a summary line, and the highest exit code any of them\n"
        "                        gave; with read -o FILE.QV each indicator's file is\n"
        "                        FILE-SERIAL.QV; each indicator's progress on stderr when it is a\n"
        "                        terminal (write and lin-write show theirs there too)\n"
        "  --log FILE.csv        (read, write, diff, lin-write, adjust) append one record per\n"
        "                        indicator: UTC time, command, serial number, model, type word,\n"
        "                        SHA-256 of the bytes of the parameter and table files written or\n"
        "                        read, result, exit code and the differences read back; a header\n"
        "                        when the file is new; appended under a lock on the log itself\n"
        "                        (waited for at most --timeout), and cut back when an append fails,\n"
        "                        so a failed append loses nothing\n"
        "  --timeout SECONDS     give up when a request stays unanswered this long (default 5)\n"
        "  --trace               print every Modbus frame on stderr (\"TX : ...\" / \"RX : ...\")\n"
        "  --capture FILE        save every frame sent and received, rejected ones too, as a pcapng\n"
        "                        capture (link type USER0, 147) once the command ends; with --all\n"
        "                        one file per indicator, named as -o names them (FILE-SERIAL.pcapng).\n"
        "                        Wireshark decodes it as Modbus RTU:\n"
        "    tshark -r FILE -o 'uat:user_dlts:\"User 0 (DLT=147)\",\"mbrtu\",\"0\",\"\",\"0\",\"\"' -o "
        "mbrtu.crc_verification:TRUE\n"
        "  --stats               print the transfer time and the bytes on the line on stderr\n"
        "  --simulate[=TYPEWORD] use the built-in simulated indicator (type word in hex 0x... or\n"
        "                        decimal; default 0x4053), its serial line timed as 9600 8N2\n"
        "  --help, --version\n"
        "\n"
        "For testing, with --simulate:\n"
        "  --simulate-count N        simulate N indicators (1 to 16), serial numbers 0001 to 000N\n"
        "  --simulate-fault=FAULT[@SERIAL]  the fault below on the simulated indicator SERIAL only\n"
        "                            (without @SERIAL on every one)\n"
        "  --simulate-fault=silent   the indicator answers nothing\n"
        "  --simulate-fault=drop:N   the replies to the next N requests are lost\n"
        "  --simulate-fault=delay:MS[:N]  the replies to the next N requests (or to every request)\n"
        "                            come MS milliseconds late\n"
        "  --simulate-fault=writefail:N   the next N output reports to the bridge fail\n"
        "  --simulate-fault=crc:N    the replies to the next N requests arrive with a bad CRC\n"
        "  --simulate-fault=exception:CODE[:N]  the next N requests (or every request) are refused\n"
        "                            with exception CODE (hex, e.g. 02)\n"
        "  --simulate-fault=internal  qv7ctl fails inside as it opens the indicator (exit 6)\n"
        "  --simulate-state=FILE     keep the simulated registers in FILE between runs (indicator\n"
        "                            0001's)\n"
        "\n"
        "Exit codes:\n"
        "  0  success (write: every field read back as written; diff: no difference)\n"
        "  1  usage error (set: a key or value the parameter pages do not accept)\n"
        "  2  no indicator attached, it does not open, or another program drives it\n"
        "  3  the indicator did not answer within the time-out\n"
        "  4  file error: cannot read or write it, or the parameter or .LIN file is rejected\n"
        "     (lin-write: also a curve of more than 32 points; lin-read: a table out of range)\n"
        "  5  write read back differing fields, or diff found differences (lin-write: points;\n"
        "     adjust: the indicator answered other than by taking the command)\n"
        "  6  internal error of qv7ctl or its environment (not the indicator's fault)\n");
}

} // namespace qv7::cli
