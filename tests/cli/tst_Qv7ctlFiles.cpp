// qv7ctl end to end with the files it is given and makes: a write that fails at the last moment,
// input that is no file to read, names that are no UTF-8, and the simulator's state file.
#include "Qv7ctlRun.h"

#include <QCoreApplication>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <csignal>
#include <cstdlib>

#include <grp.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr rlim_t FileSizeLimit = 100; // bytes: less than any file qv7ctl makes

// As on a full disk: every write past the limit fails (EFBIG) instead of ending the process.
void limitFileSize() {
    std::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{FileSizeLimit, FileSizeLimit};
    ::setrlimit(RLIMIT_FSIZE, &limit);
}

// Root may write any file: the child then runs as nobody, for whom a read-only file is one.
void asOrdinaryUser() {
    if (::geteuid() != 0) return;
    ::setgroups(0, nullptr);
    if (::setgid(65534) != 0 || ::setuid(65534) != 0) std::_Exit(99);
    // A clone inside a folder the ordinary user cannot enter (root's home): the program is out of reach.
    if (::access(QV7CTL_PATH, X_OK) != 0) std::_Exit(99);
}

} // namespace

class tst_Qv7ctlFiles : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void a_failed_write_keeps_the_previous_file_data();
    void a_failed_write_keeps_the_previous_file();
    void input_that_is_no_file_is_refused_at_once_data();
    void input_that_is_no_file_is_refused_at_once();
    void file_names_pass_byte_for_byte();
    void a_read_only_state_file_is_an_error_not_replaced();
    void file_errors_are_said_in_english_data();
    void file_errors_are_said_in_english();
    void outputs_go_where_the_shell_sent_them_data();
    void outputs_go_where_the_shell_sent_them();
    void a_read_only_file_is_refused();
    void two_sets_on_one_file_keep_both_changes();

private:
    QString path(const QString& name) const { return dir_->filePath(name); }
    Run qv7ctl(const QStringList& args) { return runQv7ctl(dir_->path(), args); }

    std::unique_ptr<QTemporaryDir> dir_;
    QByteArray params_, state_, json_;
};

void tst_Qv7ctlFiles::initTestCase() {
    init();
    QVERIFY(qv7ctl({"read", "--simulate", "-o", "p.QV", "--simulate-state=state.json"}).exitCode == 0);
    params_ = readBytes(path("p.QV"));
    state_ = readBytes(path("state.json"));
    const Run shown = qv7ctl({"show", "p.QV", "--json"});
    QCOMPARE(shown.exitCode, 0);
    json_ = shown.out.toUtf8();
    QCOMPARE(params_.size(), 200);
    QVERIFY(state_.startsWith("{"));
}

void tst_Qv7ctlFiles::init() {
    dir_ = std::make_unique<QTemporaryDir>();
    QVERIFY(dir_->isValid());
}

void tst_Qv7ctlFiles::a_failed_write_keeps_the_previous_file_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("file"); // the file the command would replace
    QTest::newRow("read -o") << QStringList{"read", "--simulate", "-o", "out.QV"} << "out.QV";
    QTest::newRow("set") << QStringList{"set", "p.QV", "filter=3"} << "p.QV";
    QTest::newRow("import -o") << QStringList{"import", "p.json", "-o", "out.QV"} << "out.QV";
    QTest::newRow("lin-read -o") << QStringList{"lin-read", "--simulate", "-o", "out.LIN"} << "out.LIN";
    QTest::newRow("report -o") << QStringList{"report", "--simulate", "-o", "out.tar.gz"} << "out.tar.gz";
    QTest::newRow("simulator state") << QStringList{"read", "--simulate", "--simulate-state=state.json"}
                                     << "state.json";
}

void tst_Qv7ctlFiles::a_failed_write_keeps_the_previous_file() {
    QFETCH(QStringList, args);
    QFETCH(QString, file);
    QVERIFY(writeBytes(path("p.QV"), params_));
    QVERIFY(writeBytes(path("p.json"), json_));
    QVERIFY(writeBytes(path("state.json"), state_));
    const QByteArray previous = file == "p.QV" ? params_ : file == "state.json" ? state_ : "previous";
    QVERIFY(writeBytes(path(file), previous));
    const Run run = runQv7ctl(dir_->path(), args, limitFileSize);
    QCOMPARE(run.exitCode, 4);
    QVERIFY2(run.err.contains("File too large"), qPrintable(run.err));
    QCOMPARE(readBytes(path(file)), previous);
}

void tst_Qv7ctlFiles::input_that_is_no_file_is_refused_at_once_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("kind"); // fifo or large
    QTest::addColumn<QString>("message");
    QTest::newRow("show of a FIFO") << QStringList{"show", "in"} << "fifo"
                                    << "in: not a regular file";
    QTest::newRow("lin-show of a FIFO") << QStringList{"lin-show", "in"} << "fifo"
                                        << "\"The file in is not a regular file\"";
    QTest::newRow("import of a FIFO") << QStringList{"import", "in", "-o", "o.QV"} << "fifo"
                                      << "in: not a regular file";
    QTest::newRow("state in a FIFO") << QStringList{"read", "--simulate", "--simulate-state=in"} << "fifo"
                                     << "in is not a regular file";
    QTest::newRow("lin-show of 300 KB") << QStringList{"lin-show", "in"} << "large"
                                        << "\"The file in is too large\"";
    QTest::newRow("state of 300 KB") << QStringList{"read", "--simulate", "--simulate-state=in"} << "large"
                                     << "larger than any simulator state";
}

void tst_Qv7ctlFiles::input_that_is_no_file_is_refused_at_once() {
    QFETCH(QStringList, args);
    QFETCH(QString, kind);
    QFETCH(QString, message);
    const QByteArray name = QFile::encodeName(path("in"));
    if (kind == "fifo") QCOMPARE(::mkfifo(name.constData(), 0600), 0);
    // A valid start, then no end: larger than the cap of any input file.
    const QByteArray large = params_ + "Nb_Seg .equ 2\r\n\r\n" + QByteArray(300 * 1024, '\r');
    if (kind == "large")
        QVERIFY(writeBytes(path("in"), args.contains("show") ? large.left(70 * 1024) : large));
    const Run run = qv7ctl(args);
    QCOMPARE(run.exitCode, 4);
    QVERIFY2(run.err.contains(message), qPrintable(run.err));
    QVERIFY(!QFile::exists(path("o.QV")));
}

void tst_Qv7ctlFiles::file_names_pass_byte_for_byte() {
    // 0xE9 alone is no UTF-8; the shell hands the byte over as it is.
    QProcess shell;
    shell.setWorkingDirectory(dir_->path());
    shell.start("/bin/sh",
                {"-c", "n=$(printf 'out\\351.QV'); \"$0\" read --simulate -o \"$n\" && \"$0\" show \"$n\"",
                 QStringLiteral(QV7CTL_PATH)});
    QVERIFY(shell.waitForFinished(20000));
    QVERIFY2(shell.exitCode() == 0, shell.readAllStandardError().constData());
    QCOMPARE(::access(QFile::encodeName(dir_->path()).append("/out\xe9.QV").constData(), R_OK), 0);
}

void tst_Qv7ctlFiles::a_read_only_state_file_is_an_error_not_replaced() {
    QVERIFY(writeBytes(path("state.json"), state_));
    QCOMPARE(::chmod(QFile::encodeName(path("state.json")).constData(), 0444), 0);
    QCOMPARE(::chmod(QFile::encodeName(dir_->path()).constData(), 0777), 0);
    const Run run =
        runQv7ctl(dir_->path(), {"read", "--simulate", "--simulate-state=state.json"}, asOrdinaryUser);
    if (run.exitCode == 99)
        QSKIP("cannot run qv7ctl as an ordinary user here (no such user, or the build lies in a folder "
              "that user cannot enter)");
    QCOMPARE(run.exitCode, 4);
    QVERIFY2(run.err.contains("state.json") && run.err.contains("Permission denied"), qPrintable(run.err));
    QCOMPARE(readBytes(path("state.json")), state_);
    ::chmod(QFile::encodeName(path("state.json")).constData(), 0644); // for the folder's removal
}

void tst_Qv7ctlFiles::file_errors_are_said_in_english_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QByteArray>("lin"); // curve.LIN's bytes; none: no such file
    QTest::addColumn<bool>("full");      // every write fails, as on a full disk
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("french"); // what the window's French says; never printed
    QTest::newRow("no such file") << QStringList{"lin-show", "curve.LIN"} << QByteArray() << false
                                  << "curve.LIN: \"File not found\" ("
                                  << "Fichier introuvable";
    QTest::newRow("one point") << QStringList{"lin-show", "curve.LIN"}
                               << QByteArray("n .equ 1\r\nx .float 0\r\ny .float 0\r\n") << false
                               << "curve.LIN: \"Too few points: at least two are needed\""
                               << "Trop peu de points";
    // The last write fails (EFBIG): the file is not made, with the system's reason after it.
    QTest::newRow("full disk") << QStringList{"read", "--simulate", "-o", "out.QV"} << QByteArray() << true
                               << "out.QV: cannot save the parameters: \"Cannot create the file out.QV\" (F"
                               << "Impossible de";
}

void tst_Qv7ctlFiles::file_errors_are_said_in_english() {
    QFETCH(QStringList, args);
    QFETCH(QByteArray, lin);
    QFETCH(bool, full);
    QFETCH(QString, message);
    QFETCH(QString, french);
    if (!lin.isEmpty()) QVERIFY(writeBytes(path("curve.LIN"), lin));
    const Run run = runQv7ctl(dir_->path(), args, full ? limitFileSize : nullptr);
    QCOMPARE(run.exitCode, 4);
    QVERIFY2(run.err.contains("qv7ctl: " + message), qPrintable(run.err));
    QVERIFY2(!run.err.contains(french), qPrintable(run.err));
}

void tst_Qv7ctlFiles::outputs_go_where_the_shell_sent_them_data() {
    QTest::addColumn<QString>("script");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("err"); // a part of stderr
    QTest::addColumn<QString>("out"); // stdout starts with it; "@" for run.log: "a\nb\n" and the parameters
    const QString p = QStringLiteral("\"$Q\" read --simulate ");
    // A stream is written as the shell opened it: appended to, or a deleted file's descriptor.
    QTest::newRow("-o /dev/stdout >> log")
        << "printf 'a\\nb\\n' > run.log; " + p + "-o /dev/stdout >> run.log" << 0 << ""
        << "@";
    QTest::newRow("/dev/fd/3 of a deleted file")
        << "exec 3>gone.QV; rm gone.QV; " + p + "-o /dev/fd/3 >/dev/null; ls" << 0 << ""
        << "";
    // Standard output's failures are failures.
    QTest::newRow("> /dev/full") << p + "> /dev/full" << 4 << "standard output: write error: No space left"
                                 << "";
    QTest::newRow("show --json past a size limit")
        << "trap '' XFSZ; ulimit -f 4; \"$Q\" show p.QV --json > big.json" << 4
        << "standard output: write error: File too large"
        << "";
    QTest::newRow("-o /dev/null") << "\"$Q\" lin-fit --shape sqrt -o /dev/null > /dev/null" << 0 << ""
                                  << "";
    // "-" is standard output and nothing else: a file of that name is never read back.
    QTest::newRow("lin-fit -o -") << "printf junk > ./-; \"$Q\" lin-fit --shape sqrt --points 3 -o -" << 0
                                  << ""
                                  << "; /* SEG";
    // A FIFO nobody reads gives up at once.
    QTest::newRow("-o FIFO") << "mkfifo f; " + p + "-o f" << 4 << "a FIFO that no program reads"
                             << "";
    QTest::newRow("--capture FIFO") << "mkfifo f; " + p + "--capture f >/dev/null" << 4
                                    << "a FIFO that no program reads"
                                    << "";
    // Two outputs on one stream are refused before anything is sent.
    QTest::newRow("/dev/stdout and -")
        << p + "-o /dev/stdout --capture -" << 1 << "both write to descriptor 1"
        << "";
}

void tst_Qv7ctlFiles::outputs_go_where_the_shell_sent_them() {
    QFETCH(QString, script);
    QFETCH(int, exitCode);
    QFETCH(QString, err);
    QFETCH(QString, out);
    QVERIFY(writeBytes(path("p.QV"), params_));
    const Run run = runShell(dir_->path(), script);
    QVERIFY2(run.exitCode == exitCode, qPrintable(run.err));
    QVERIFY2(run.err.contains(err), qPrintable(run.err));
    if (out == "@")
        QCOMPARE(readBytes(path("run.log")), "a\nb\n" + params_);
    else
        QVERIFY2(out.isEmpty() || run.out.startsWith(out), qPrintable(run.out));
    if (out.isEmpty() && exitCode != 0) QCOMPARE(run.out, QString());
}

void tst_Qv7ctlFiles::a_read_only_file_is_refused() {
    QVERIFY(writeBytes(path("golden.QV"), params_));
    const QByteArray golden = QFile::encodeName(path("golden.QV"));
    QCOMPARE(::chmod(golden.constData(), 0444), 0);
    QCOMPARE(::chmod(QFile::encodeName(dir_->path()).constData(), 0777), 0);
    if (::geteuid() == 0) QCOMPARE(::chown(golden.constData(), 65534, 65534), 0);
    const Run run = runQv7ctl(dir_->path(), {"set", "golden.QV", "alarm1.threshold=1234"}, asOrdinaryUser);
    if (run.exitCode == 99) QSKIP("cannot run qv7ctl as an ordinary user here");
    QCOMPARE(run.exitCode, 4);
    QVERIFY2(run.err.contains("read-only"), qPrintable(run.err));
    QCOMPARE(readBytes(path("golden.QV")), params_);
}

// Two runs of set on one file at once: each waits for the other, and both changes are in the file.
void tst_Qv7ctlFiles::two_sets_on_one_file_keep_both_changes() {
    for (int round = 0; round < 20; ++round) {
        QVERIFY(writeBytes(path("g.QV"), params_));
        QProcess first, second;
        for (QProcess* p : {&first, &second})
            p->setWorkingDirectory(dir_->path());
        first.start(QStringLiteral(QV7CTL_PATH), {"set", "g.QV", "alarm1.threshold=1234"});
        second.start(QStringLiteral(QV7CTL_PATH), {"set", "g.QV", "alarm2.threshold=4321"});
        QCOMPARE(finished(first).exitCode, 0);
        QCOMPARE(finished(second).exitCode, 0);
        const QString shown = qv7ctl({"show", "g.QV"}).out;
        QVERIFY2(shown.contains(QRegularExpression("Alarm 1 threshold +1234 ")) &&
                     shown.contains(QRegularExpression("Alarm 2 threshold +4321 ")),
                 qPrintable(QStringLiteral("round %1:\n%2").arg(round).arg(shown)));
    }
}

QTEST_GUILESS_MAIN(tst_Qv7ctlFiles)
#include "tst_Qv7ctlFiles.moc"
