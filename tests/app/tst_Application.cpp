// The application layer: run-time errors ending at the event loop in a message box, the process-wide
// decimal separator, the command line, and the single-instance lock, in process and with the
// built program.
#include "app/Application.h"
#include "app/Language.h"
#include "app/Options.h"
#include "app/SingleInstance.h"
#include "base/Errors.h"
#include "indicator/FileAccess.h"
#include "widgets/DecimalSeparator.h"
#include "widgets/Messages.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QLockFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Raises the given error from its event handler, as a window handler would.
class Thrower : public QObject {
public:
    std::function<void()> action;
    int handled = 0;

protected:
    bool event(QEvent* event) override {
        if (event->type() != QEvent::User) return QObject::event(event);
        ++handled;
        action();
        return true;
    }
};

// Records the message boxes instead of showing them, for the life of the object.
struct RecordedMessages {
    QStringList texts;
    qv7::MessageHook previous;
    RecordedMessages() {
        previous = qv7::setMessageHook([this](const QString& text) { texts << text; });
    }
    ~RecordedMessages() { qv7::setMessageHook(previous); }
};

// A process id that no running process holds: one of a process that has ended.
qint64 deadProcessId() {
    QProcess process;
    process.start(QStringLiteral("true"), {});
    if (!process.waitForStarted()) return -1;
    const qint64 pid = process.processId();
    process.waitForFinished();
    return pid;
}

QProcessEnvironment programEnvironment(const QString& runtimeDir) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtimeDir);
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    return env;
}

} // namespace

class TestApplication : public QObject {
    Q_OBJECT

private slots:
    void run_time_errors_end_in_a_message_box_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("text");
        QTest::newRow("range error") << 0 << QStringLiteral("Erreur de vérification d'étendue");
        QTest::newRow("integer overflow") << 1 << QStringLiteral("Débordement d'entier");
        QTest::newRow("file not created")
            << 2 << QStringLiteral("Impossible de créer le fichier /nowhere/a.QV");
    }
    void run_time_errors_end_in_a_message_box() {
        QFETCH(int, kind);
        QFETCH(QString, text);
        RecordedMessages messages;
        Thrower thrower;
        bool after = false;
        thrower.action = [&] {
            if (kind == 0) throw qv7::ERangeError();
            if (kind == 1) throw qv7::EIntOverflow();
            throw qv7::EInOutError::cannotCreate("/nowhere/a.QV");
            after = true; // never reached: the action ends at the error
        };
        const int before = qv7::runTimeErrorCount();
        QCoreApplication::postEvent(&thrower, new QEvent(QEvent::User));
        QTRY_COMPARE(thrower.handled, 1);
        QCOMPARE(messages.texts, QStringList{text});
        QCOMPARE(qv7::runTimeErrorCount(), before + 1);
        QVERIFY(!after);
    }

    void event_loop_goes_on_after_an_error() {
        RecordedMessages messages;
        Thrower thrower;
        int calls = 0;
        thrower.action = [&] {
            if (++calls == 1) throw qv7::ERangeError();
        };
        QCoreApplication::postEvent(&thrower, new QEvent(QEvent::User));
        QCoreApplication::postEvent(&thrower, new QEvent(QEvent::User));
        bool timerRan = false;
        QTimer::singleShot(0, this, [&] { timerRan = true; });
        QTRY_VERIFY(timerRan);
        QCOMPARE(thrower.handled, 2);
        QCOMPARE(messages.texts.size(), 1);
    }

    void queued_call_raising_an_error_is_reported() {
        RecordedMessages messages;
        QObject target;
        QMetaObject::invokeMethod(
            &target, [] { throw qv7::EIntOverflow(); }, Qt::QueuedConnection);
        QTRY_COMPARE(messages.texts, QStringList{QStringLiteral("Débordement d'entier")});
    }

    void an_event_whose_handler_failed_counts_as_not_handled() {
        RecordedMessages messages;
        Thrower thrower;
        thrower.action = [] { throw qv7::ERangeError(); };
        QEvent event(QEvent::User);
        QVERIFY(!QCoreApplication::sendEvent(&thrower, &event));
        QCOMPARE(thrower.handled, 1);
        QCOMPARE(messages.texts.size(), 1);
        thrower.action = [] {};
        QVERIFY(QCoreApplication::sendEvent(&thrower, &event));
    }

    void the_program_names_itself_and_its_version() {
        QCOMPARE(QCoreApplication::applicationName(), QStringLiteral("qv7cfg"));
        QCOMPARE(QCoreApplication::applicationVersion(), QStringLiteral("1.03"));
        QCOMPARE(QApplication::font().pixelSize(), 11);
    }

    void guarded_handler_reports_and_returns() {
        RecordedMessages messages;
        int changed = 0;
        qv7::runGuarded([&] {
            changed = 7; // values changed before the error keep their new values
            throw qv7::ERangeError();
        });
        QCOMPARE(changed, 7);
        QCOMPARE(messages.texts, QStringList{QStringLiteral("Erreur de vérification d'étendue")});
        qv7::runGuarded([&] { changed = 8; });
        QCOMPARE(changed, 8);
        QCOMPARE(messages.texts.size(), 1);
    }

    void other_exceptions_are_not_swallowed() {
        RecordedMessages messages;
        bool caught = false;
        try {
            qv7::runGuarded([] { throw std::logic_error("bug"); });
        } catch (const std::logic_error&) {
            caught = true;
        }
        QVERIFY(caught);
        QVERIFY(messages.texts.isEmpty());
    }

    void decimal_separator_starts_at_the_locale_and_follows_the_language() {
        QCOMPARE(qv7::decimalSeparator(), qv7::systemDecimalSeparator());
        qv7::setLanguage(qv7::Language::English);
        QCOMPARE(qv7::decimalSeparator(), QChar(u'.'));
        qv7::setLanguage(qv7::Language::French);
        QCOMPARE(qv7::decimalSeparator(), QChar(u','));
        qv7::setDecimalSeparator(qv7::systemDecimalSeparator());
    }

    void command_line_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<bool>("simulate");
        QTest::addColumn<int>("typeWord");
        QTest::addColumn<int>("count");
        QTest::addColumn<bool>("trace");
        QTest::addColumn<bool>("help");
        QTest::addColumn<bool>("error");
        const int def = 0x4053;
        QTest::newRow("nothing: real hardware")
            << QStringList{} << false << def << 1 << false << false << false;
        QTest::newRow("simulate with the default type")
            << QStringList{"--simulate"} << true << def << 1 << false << false << false;
        QTest::newRow("simulate hex")
            << QStringList{"--simulate=0x0100"} << true << 0x0100 << 1 << false << false << false;
        QTest::newRow("simulate upper-case hex")
            << QStringList{"--simulate=0X8004"} << true << 0x8004 << 1 << false << false << false;
        QTest::newRow("simulate decimal")
            << QStringList{"--simulate=16384"} << true << 0x4000 << 1 << false << false << false;
        QTest::newRow("count apart") << QStringList{"--simulate-count", "3"} << true << def << 3 << false
                                     << false << false;
        QTest::newRow("count joined, trace")
            << QStringList{"--trace", "--simulate-count=2"} << true << def << 2 << true << false << false;
        QTest::newRow("help") << QStringList{"--help"} << false << def << 1 << false << true << false;
        QTest::newRow("type word too large")
            << QStringList{"--simulate=0x10000"} << true << def << 1 << false << false << true;
        QTest::newRow("type word not a number")
            << QStringList{"--simulate=abc"} << true << def << 1 << false << false << true;
        QTest::newRow("type word at its largest")
            << QStringList{"--simulate=0xFFFF"} << true << 0xFFFF << 1 << false << false << false;
        QTest::newRow("decimal type word too large")
            << QStringList{"--simulate=65536"} << true << def << 1 << false << false << true;
        QTest::newRow("hex prefix alone")
            << QStringList{"--simulate=0x"} << true << def << 1 << false << false << true;
        QTest::newRow("type word with a tail")
            << QStringList{"--simulate=12a"} << true << def << 1 << false << false << true;
        QTest::newRow("count zero") << QStringList{"--simulate-count", "0"} << true << def << 1 << false
                                    << false << true;
        QTest::newRow("count missing")
            << QStringList{"--simulate-count"} << false << def << 1 << false << false << true;
        QTest::newRow("unknown option")
            << QStringList{"--fast"} << false << def << 1 << false << false << true;
        QTest::newRow("refusals, as qv7ctl takes them")
            << QStringList{"--simulate-fault=exception:02:3"} << true << def << 1 << false << false << false;
        QTest::newRow("bad CRCs") << QStringList{"--simulate-fault=crc:2"} << true << def << 1 << false
                                  << false << false;
        QTest::newRow("exception code out of range")
            << QStringList{"--simulate-fault=exception:100"} << true << def << 1 << false << false << true;
        QTest::newRow("unknown fault")
            << QStringList{"--simulate-fault=noise"} << true << def << 1 << false << false << true;
    }
    void command_line() {
        QFETCH(QStringList, args);
        QFETCH(bool, simulate);
        QFETCH(int, typeWord);
        QFETCH(int, count);
        QFETCH(bool, trace);
        QFETCH(bool, help);
        QFETCH(bool, error);
        const qv7::Options options = qv7::parseOptions(args);
        QCOMPARE(!options.error.isEmpty(), error);
        QCOMPARE(options.simulate, simulate);
        QCOMPARE(int(options.typeWord), typeWord);
        QCOMPARE(options.simulateCount, count);
        QCOMPARE(options.trace, trace);
        QCOMPARE(options.help, help);
    }

    // The desktop's first language picks the window's; --lang overrides it.
    void language_data() {
        QTest::addColumn<QStringList>("uiLanguages");
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("expected"); // 0 French, 1 English, -1 a command-line error
        const QStringList none;
        QTest::newRow("French desktop") << QStringList{"fr-FR", "fr"} << none << 0;
        QTest::newRow("Canadian French") << QStringList{"fr-CA"} << none << 0;
        QTest::newRow("C locale") << QStringList{"C"} << none << 0;
        QTest::newRow("nothing known") << QStringList{} << none << 0;
        QTest::newRow("English desktop") << QStringList{"en-US", "en"} << none << 1;
        QTest::newRow("German desktop, French second") << QStringList{"de-DE", "fr-FR"} << none << 1;
        QTest::newRow("--lang en on a French desktop")
            << QStringList{"fr-FR"} << QStringList{"--lang", "en"} << 1;
        QTest::newRow("--lang=FR on an English desktop")
            << QStringList{"en-GB"} << QStringList{"--lang=FR"} << 0;
        QTest::newRow("--lang de") << QStringList{"fr-FR"} << QStringList{"--lang", "de"} << -1;
        QTest::newRow("--lang without a name") << QStringList{"fr-FR"} << QStringList{"--lang"} << -1;
    }
    void language() {
        QFETCH(QStringList, uiLanguages);
        QFETCH(QStringList, args);
        QFETCH(int, expected);
        const qv7::Options options = qv7::parseOptions(args);
        QCOMPARE(!options.error.isEmpty(), expected < 0);
        if (expected < 0) return;
        const qv7::Language language = options.language.value_or(qv7::languageOfDesktop(uiLanguages));
        QCOMPARE(language, expected == 0 ? qv7::Language::French : qv7::Language::English);
    }

    void lock_is_held_by_one_owner_at_a_time() {
        QTemporaryDir dir;
        qv7::SingleInstance first(dir.path());
        QVERIFY(first.tryAcquire());
        QVERIFY(first.isHeld());
        QCOMPARE(QFileInfo(first.path()).fileName(), QStringLiteral("Zeq QV7CFG"));
        QVERIFY(first.tryAcquire()); // its owner asking again keeps it
        qv7::SingleInstance second(dir.path());
        QVERIFY(!second.tryAcquire());
        QVERIFY(!second.isHeld());
        // Age never makes a lock stale: one held for two days keeps the next program out.
        QFile lock(first.path());
        QVERIFY(lock.open(QIODevice::ReadWrite));
        QVERIFY(
            lock.setFileTime(QDateTime::currentDateTime().addDays(-2), QFileDevice::FileModificationTime));
        lock.close();
        QVERIFY(!second.tryAcquire());
    }

    void stale_lock_of_a_dead_process_is_taken_over() {
        QTemporaryDir dir;
        const qint64 pid = deadProcessId();
        QVERIFY(pid > 0);
        QFile stale(dir.filePath(QStringLiteral("Zeq QV7CFG")));
        QVERIFY(stale.open(QIODevice::WriteOnly));
        stale.write(QByteArray::number(pid) + "\nqv7cfg\n" + QSysInfo::machineHostName().toUtf8() + "\n");
        stale.close();
        qv7::SingleInstance instance(dir.path());
        QVERIFY(instance.tryAcquire());
    }

    // Only a live holder keeps the tool out: a file left or planted where the lock goes never does.
    void a_lock_file_without_a_holder_never_keeps_the_tool_out() {
        QTemporaryDir dir;
        for (const QByteArray& planted :
             {QByteArray(), QByteArray("junk"), QByteArray("1\nqv7cfg\nhost\n")}) {
            QFile file(dir.filePath(QStringLiteral("Zeq QV7CFG")));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(planted);
            file.close();
            qv7::SingleInstance instance(dir.path());
            QVERIFY2(instance.tryAcquire(), planted.constData());
        }
    }

    // Where the lock may go: the runtime directory only when no one else may write it, else a folder
    // of this user's own in the user's cache, never the shared temporary folder; nothing when that
    // one is no private folder.
    void the_lock_lives_only_where_this_user_alone_writes_data() {
        QTest::addColumn<int>("runtimeMode");  // 0: no XDG_RUNTIME_DIR
        QTest::addColumn<int>("fallbackMode"); // -1: not made beforehand, -2: a link to a folder
        QTest::addColumn<int>("expected");     // 0 the runtime folder, 1 the fallback, 2 none
        QTest::newRow("private runtime folder") << 0700 << -1 << 0;
        QTest::newRow("runtime folder others write") << 0777 << -1 << 1;
        QTest::newRow("runtime folder the group writes") << 0720 << -1 << 1;
        QTest::newRow("no runtime folder") << 0 << -1 << 1;
        QTest::newRow("fallback others write") << 0 << 0777 << 2;
        QTest::newRow("fallback is a link") << 0 << -2 << 2;
        QTest::newRow("no runtime folder, no cache named: ~/.cache") << 0 << -3 << 1;
    }
    void the_lock_lives_only_where_this_user_alone_writes() {
        QFETCH(int, runtimeMode);
        QFETCH(int, fallbackMode);
        QFETCH(int, expected);
        QTemporaryDir runtime, temp, cache;
        const QByteArray oldRuntime = qgetenv("XDG_RUNTIME_DIR"), oldTemp = qgetenv("TMPDIR"),
                         oldCache = qgetenv("XDG_CACHE_HOME"), oldHome = qgetenv("HOME");
        QVERIFY(::chmod(QFile::encodeName(runtime.path()).constData(), static_cast<mode_t>(runtimeMode)) ==
                0);
        if (runtimeMode != 0)
            qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
        else
            qunsetenv("XDG_RUNTIME_DIR");
        qputenv("TMPDIR", QFile::encodeName(temp.path()));
        qputenv("XDG_CACHE_HOME", QFile::encodeName(cache.path()));
        QString fallback = cache.filePath(QStringLiteral("qv7cfg"));
        if (fallbackMode == -3) {
            qputenv("XDG_CACHE_HOME", "relative/cache"); // not a path the cache may have
            qputenv("HOME", QFile::encodeName(cache.path()));
            fallback = cache.filePath(QStringLiteral(".cache/qv7cfg"));
        }
        if (fallbackMode == -2) QVERIFY(QFile::link(runtime.path(), fallback));
        if (fallbackMode >= 0) {
            QVERIFY(QDir().mkdir(fallback));
            QVERIFY(::chmod(QFile::encodeName(fallback).constData(), static_cast<mode_t>(fallbackMode)) == 0);
        }
        const QString chosen = qv7::SingleInstance::defaultDirectory();
        qv7::SingleInstance instance;
        const bool acquired = instance.tryAcquire();
        qputenv("XDG_RUNTIME_DIR", oldRuntime);
        qputenv("TMPDIR", oldTemp);
        qputenv("XDG_CACHE_HOME", oldCache);
        qputenv("HOME", oldHome);
        QVERIFY(QDir(temp.path()).isEmpty()); // nothing of ours in the shared folder
        QCOMPARE(chosen, (QStringList{runtime.path(), fallback, QString()}[expected]));
        QCOMPARE(acquired, expected != 2);
        QCOMPARE(instance.failure().isEmpty(), expected != 2);
        if (expected == 1) QVERIFY(qv7::SingleInstance::isPrivateFolder(fallback));
        ::chmod(QFile::encodeName(runtime.path()).constData(), 0700);
    }

    // The window opens even when the lock cannot be had, and says why.
    void a_lock_that_cannot_be_had_never_ends_the_program_quietly() {
        QTemporaryDir dir;
        QVERIFY(::chmod(QFile::encodeName(dir.path()).constData(), 0777) == 0);
        QProcess program;
        QProcessEnvironment env = programEnvironment(dir.path());
        env.insert(QStringLiteral("XDG_CACHE_HOME"), dir.path());
        const QString fallback = dir.filePath(QStringLiteral("qv7cfg"));
        QVERIFY(QDir().mkdir(fallback));
        QVERIFY(::chmod(QFile::encodeName(fallback).constData(), 0777) == 0);
        program.setProcessEnvironment(env);
        program.start(QStringLiteral(QV7CFG_BINARY), {QStringLiteral("--simulate")});
        QVERIFY(program.waitForStarted());
        QByteArray said;
        QTRY_VERIFY_WITH_TIMEOUT((said += program.readAllStandardError())
                                         .contains("running without the "
                                                   "single-instance lock") ||
                                     program.state() != QProcess::Running,
                                 10000);
        QCOMPARE(program.state(), QProcess::Running);
        program.kill();
        program.waitForFinished();
        ::chmod(QFile::encodeName(dir.path()).constData(), 0700);
    }

    void runtime_directory_holds_the_lock() {
        QTemporaryDir dir;
        qputenv("XDG_RUNTIME_DIR", dir.path().toLocal8Bit());
        QCOMPARE(qv7::SingleInstance::defaultDirectory(), dir.path());
        qv7::SingleInstance instance;
        QCOMPARE(instance.path(), dir.filePath(QStringLiteral("Zeq QV7CFG")));
    }

    void first_program_takes_the_lock_in_the_runtime_directory() {
        QTemporaryDir dir;
        QProcess program;
        program.setProcessEnvironment(programEnvironment(dir.path()));
        program.start(QStringLiteral(QV7CFG_BINARY), {QStringLiteral("--simulate")});
        QVERIFY(program.waitForStarted());
        // The running program's lock is what keeps the next one out.
        qv7::SingleInstance other(dir.path());
        // The socket is made once the lock is held.
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(other.channelPath()), 10000);
        QVERIFY(!other.tryAcquire());
        QCOMPARE(program.state(), QProcess::Running);
        program.kill();
        program.waitForFinished();
    }

    void second_program_raises_the_running_window_and_ends() {
        QTemporaryDir dir;
        qv7::SingleInstance held(dir.path());
        QVERIFY(held.tryAcquire());
        qv7::InstanceChannel running(held.channelPath());
        QVERIFY(running.listen());
        int raised = 0;
        connect(&running, &qv7::InstanceChannel::raiseRequested, this, [&] { ++raised; });
        QProcess program;
        program.setProcessEnvironment(programEnvironment(dir.path()));
        program.start(QStringLiteral(QV7CFG_BINARY), {QStringLiteral("--simulate")});
        QTRY_COMPARE_WITH_TIMEOUT(raised, 1, 30000);
        QTRY_COMPARE_WITH_TIMEOUT(program.state(), QProcess::NotRunning, 30000);
        QCOMPARE(program.exitCode(), 0);
        QVERIFY(program.readAllStandardError().contains("brought to the front"));
    }

    // One .QV or .LIN (either case) is the file to open; anything else is refused before a window.
    void files_on_the_command_line_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("file"); // "!" and the refusal for an error
        QTest::newRow("parameters") << QStringList{"--simulate", "a/b.QV"} << "a/b.QV";
        QTest::newRow("curve, lower case") << QStringList{"c.lin", "--trace"} << "c.lin";
        QTest::newRow("a capture's name") << QStringList{"--capture", "t.QV"} << QString();
        QTest::newRow("two files") << QStringList{"a.QV", "b.LIN"}
                                   << "!only one file can be opened: a.QV and b.LIN";
        QTest::newRow("unknown extension")
            << QStringList{"n.txt"} << "!n.txt: not a parameter file (.QV) or a linearisation file (.LIN)";
    }
    void files_on_the_command_line() {
        QFETCH(QStringList, args);
        QFETCH(QString, file);
        const qv7::Options options = qv7::parseOptions(args);
        QCOMPARE(file.startsWith(u'!') ? u'!' + options.error : options.file, file);
    }

    // A second copy hands the running one its file's absolute name, byte for byte, after the raise.
    void second_program_hands_its_file_to_the_running_one() {
        QTemporaryDir dir;
        qv7::SingleInstance held(dir.path());
        QVERIFY(held.tryAcquire());
        qv7::InstanceChannel running(held.channelPath());
        QVERIFY(running.listen());
        const QByteArray name = QFile::encodeName(dir.path()) + "/courbe\xe9.LIN"; // no UTF-8
        QCOMPARE(::close(::open(name.constData(), O_WRONLY | O_CREAT, 0600)), 0);
        QStringList events;
        connect(&running, &qv7::InstanceChannel::raiseRequested, this, [&] { events << "raise"; });
        connect(&running, &qv7::InstanceChannel::openRequested, this,
                [&](const QString& file) { events << file; });
        QProcess program; // through a shell, which hands the name over as its bytes
        program.setProcessEnvironment(programEnvironment(dir.path()));
        program.setWorkingDirectory(dir.path());
        program.start("/bin/sh", {"-c", "exec \"$0\" \"$(printf 'courbe\\351.LIN')\"", QV7CFG_BINARY});
        QTRY_COMPARE_WITH_TIMEOUT(events.size(), 2, 30000);
        QTRY_COMPARE_WITH_TIMEOUT(program.state(), QProcess::NotRunning, 30000);
        ::unlink(name.constData());
        QCOMPARE(program.exitCode(), 0);
        QCOMPARE(events.first(), "raise");
        QCOMPARE(QByteArray::fromStdString(qv7::fileNameBytes(events.last())), name);
    }

    // A running copy that gives no answer (none listens, or it hangs with the connection accepted)
    // is said, and the second copy fails within the 2 s it waits, without a window.
    void second_program_fails_when_the_running_one_does_not_answer_data() {
        QTest::addColumn<bool>("listening");
        QTest::newRow("no one listens") << false;
        QTest::newRow("a copy that hangs") << true;
    }
    void second_program_fails_when_the_running_one_does_not_answer() {
        QFETCH(bool, listening);
        QTemporaryDir dir;
        qv7::SingleInstance held(dir.path());
        QVERIFY(held.tryAcquire());
        QLocalServer hung; // accepts in the kernel's backlog; this thread never reads
        if (listening) QVERIFY(hung.listen(held.channelPath()));
        QProcess program;
        program.setProcessEnvironment(programEnvironment(dir.path()));
        program.start(QStringLiteral(QV7CFG_BINARY), {QStringLiteral("--simulate")});
        QVERIFY(program.waitForStarted());
        QVERIFY(program.waitForFinished(30000));
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.exitCode(), 1);
        QVERIFY(program.readAllStandardError().contains("did not answer within 2 s"));
        QCOMPARE(program.readAllStandardOutput(), QByteArray());
    }

    void help_and_bad_options_end_the_program() {
        QProcess help;
        QProcessEnvironment noDisplay = programEnvironment(QDir::tempPath()); // --help, --version need none
        noDisplay.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        noDisplay.remove(QStringLiteral("DISPLAY"));
        help.setProcessEnvironment(noDisplay);
        help.start(QStringLiteral(QV7CFG_BINARY), {QStringLiteral("--help")});
        QVERIFY(help.waitForFinished(30000));
        QCOMPARE(help.exitCode(), 0);
        QVERIFY(help.readAllStandardOutput().contains("--simulate"));
        help.start(QStringLiteral(QV7CFG_BINARY), {QStringLiteral("--version")});
        QVERIFY(help.waitForFinished(30000));
        QCOMPARE(help.readAllStandardOutput(), QByteArray("qv7cfg 1.0.3\n"));
        QProcess bad;
        bad.start(QStringLiteral(QV7CFG_BINARY), {QStringLiteral("--simulate=0x1FFFF")});
        QVERIFY(bad.waitForFinished(30000));
        QCOMPARE(bad.exitCode(), 2);
        QVERIFY(bad.readAllStandardError().contains("invalid type word"));
    }
};

int main(int argc, char** argv) {
    TApplication app(argc, argv);
    TestApplication test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_Application.moc"
