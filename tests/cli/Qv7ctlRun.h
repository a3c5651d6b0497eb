// Runs the built qv7ctl in a test's folder and keeps what it printed, for the end-to-end tests.
#pragma once

#include <QFile>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <functional>

struct Run {
    int exitCode = -1; // -1: crashed or did not finish
    QString out, err;
};

inline Run finished(QProcess& process) {
    Run run;
    if (!process.waitForFinished(60000)) {
        process.kill();
        process.waitForFinished();
        return run;
    }
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = QString::fromUtf8(process.readAllStandardOutput());
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}

// `inChild` runs in the child before qv7ctl starts (limits, another user); POSIX only, since
// Windows starts a program without a child process to run it in.
inline Run runQv7ctl(const QString& folder, const QStringList& args,
                     const std::function<void()>& inChild = {}) {
    QProcess process;
    process.setWorkingDirectory(folder);
#ifdef Q_OS_UNIX
    if (inChild) process.setChildProcessModifier(inChild);
#else
    Q_ASSERT(!inChild);
#endif
    process.start(QStringLiteral(QV7CTL_PATH), args);
    return finished(process);
}

// Runs a shell script in `folder`, "$Q" standing for qv7ctl: the redirections a shell makes (">>",
// "> /dev/full", a descriptor of a deleted file) as a user's script would.
inline Run runShell(const QString& folder, const QString& script) {
    QProcess process;
    process.setWorkingDirectory(folder);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("Q"), QStringLiteral(QV7CTL_PATH));
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), script});
    return finished(process);
}

inline QByteArray readBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline bool writeBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}
