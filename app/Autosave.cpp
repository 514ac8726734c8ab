#include "app/Autosave.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <QStandardPaths>
#include <algorithm>
#include <atomic>

#include "engine/Diagnostics.h"

namespace {

constexpr int kDefaultSeconds = 30;

int PeriodSeconds() {
    bool ok = false;
    const int seconds = qEnvironmentVariableIntValue("SWATCHER_AUTOSAVE_SECONDS", &ok);
    return ok && seconds >= 0 ? seconds : kDefaultSeconds;
}

// Unique among editors running at once: the process id, the start time and a
// count for several windows in one process.
QString FreshName() {
    static std::atomic<int> count{0};
    return QStringLiteral("%1-%2-%3")
        .arg(QCoreApplication::applicationPid())
        .arg(QDateTime::currentMSecsSinceEpoch())
        .arg(count++);
}

void RemoveFiles(const QString& base) {
    QFile::remove(base + QStringLiteral(".mtf"));
    QFile::remove(base + QStringLiteral(".ini"));
}

QString DocumentName(const QString& originalPath) {
    return originalPath.isEmpty()
               ? QStringLiteral("an untitled texture")
               : QStringLiteral("\"%1\"").arg(QFileInfo(originalPath).fileName());
}

}  // namespace

Autosave::Autosave(Document document, QObject* parent)
    : QObject(parent),
      document_(std::move(document)),
      base_(Folder() + QLatin1Char('/') + FreshName()) {
    timer_.setInterval(PeriodSeconds() * 1000);
    connect(&timer_, &QTimer::timeout, this, &Autosave::Tick);
}

Autosave::~Autosave() {
    Remove();
}

QString Autosave::Folder() {
    return QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation) +
           QStringLiteral("/recovery");
}

void Autosave::DocumentChanged() {
    if (!enabled()) return;
    if (!document_.modified()) {
        timer_.stop();
        Remove();
        return;
    }
    changed_ = true;
    if (!timer_.isActive()) timer_.start();
}

void Autosave::Tick() {
    if (changed_) SaveNow();
}

void Autosave::SaveNow() {
    if (!enabled() || !document_.modified()) return;
    if (!lock_) {
        // The lock comes first: an orphan is a file without a running owner.
        QDir().mkpath(Folder());
        lock_ = std::make_unique<QLockFile>(base_ + QStringLiteral(".lock"));
        lock_->setStaleLockTime(0);
        if (!lock_->tryLock(0)) {
            lock_.reset();
            return DebugLog("autosave: cannot lock %s", qPrintable(base_));
        }
    }
    std::string error;
    if (!document_.write(file(), &error)) return DebugLog("autosave: %s", error.c_str());
    QSettings info(base_ + QStringLiteral(".ini"), QSettings::IniFormat);
    info.setValue(QStringLiteral("path"), document_.path());
    info.setValue(QStringLiteral("time"), QDateTime::currentDateTime());
    info.sync();
    written_ = true;
    changed_ = false;
}

void Autosave::Remove() {
    if (written_) RemoveFiles(base_);
    written_ = false;
    changed_ = false;
    if (lock_) lock_->unlock();
    lock_.reset();
}

void Orphan::Discard() const {
    RemoveFiles(base);
}

std::vector<Orphan> FindOrphans() {
    std::vector<Orphan> orphans;
    const QDir folder(Autosave::Folder());
    for (const QFileInfo& info : folder.entryInfoList({QStringLiteral("*.mtf")}, QDir::Files)) {
        const QString base = folder.filePath(info.completeBaseName());
        auto lock = std::make_shared<QLockFile>(base + QStringLiteral(".lock"));
        lock->setStaleLockTime(0);
        if (!lock->tryLock(0)) continue;  // its editor is still running
        const QSettings ini(base + QStringLiteral(".ini"), QSettings::IniFormat);
        Orphan orphan{base, ini.value(QStringLiteral("path")).toString(),
                      ini.value(QStringLiteral("time"), info.lastModified()).toDateTime(), lock};
        orphans.push_back(std::move(orphan));
    }
    std::sort(orphans.begin(), orphans.end(),
              [](const Orphan& a, const Orphan& b) { return a.time > b.time; });
    return orphans;
}

void OfferRecovery(
    QWidget* owner,
    const std::function<bool(const QString& file, const QString& originalPath)>& recover) {
    for (const Orphan& orphan : FindOrphans()) {
        QMessageBox box(QMessageBox::Question, QStringLiteral("Recover unsaved work"),
                        QStringLiteral("The editor closed without saving %1.\n"
                                       "Its unsaved work was kept on %2.")
                            .arg(DocumentName(orphan.originalPath),
                                 QLocale().toString(orphan.time, QLocale::LongFormat)),
                        QMessageBox::Open | QMessageBox::Discard, owner);
        box.button(QMessageBox::Open)->setText(QStringLiteral("Recover"));
        box.setDefaultButton(QMessageBox::Open);
        box.exec();
        if (box.clickedButton() == box.button(QMessageBox::Discard)) {
            orphan.Discard();
        } else if (box.clickedButton() == box.button(QMessageBox::Open)) {
            if (recover(orphan.file(), orphan.originalPath)) return orphan.Discard();
        }  // closed without an answer: offered again at the next start
    }
}
