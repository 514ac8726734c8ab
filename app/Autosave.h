// Autosave of unsaved changes to a recovery file, and the offer at start to
// recover what an editor that did not close cleanly left behind.
//
// Recovery files live in the user's data folder, subfolder "recovery": per
// editor NAME.mtf (the document as a texture file), NAME.ini (its original
// path and the time) and NAME.lock, held while that editor runs, so a file
// whose lock can be taken was left by a process that is gone.
#pragma once

#include <QDateTime>
#include <QLockFile>
#include <QObject>
#include <QString>
#include <QTimer>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class QWidget;

class Autosave : public QObject {
    Q_OBJECT
public:
    struct Document {
        std::function<bool()> modified;
        std::function<QString()> path;  // the document's own file; empty for none
        // Writes the document as a texture file, atomically.
        std::function<bool(const QString& file, std::string* error)> write;
    };

    // SWATCHER_AUTOSAVE_SECONDS sets the period (default 30; 0 turns autosave off).
    Autosave(Document document, QObject* parent);
    ~Autosave() override;  // a clean exit: the recovery file goes

    static QString Folder();
    // Call after every change of the document or of its saved state. A
    // document without unsaved changes has no recovery file.
    void DocumentChanged();
    // Writes the recovery file now when there are unsaved changes.
    void SaveNow();
    QString file() const { return base_ + QStringLiteral(".mtf"); }
    bool enabled() const { return timer_.interval() > 0; }

private:
    void Tick();
    void Remove();

    Document document_;
    QString base_;  // folder and name without extension
    std::unique_ptr<QLockFile> lock_;
    QTimer timer_;
    bool written_ = false;
    bool changed_ = false;
};

// A recovery file left by an editor that is no longer running; its lock is
// held by this object until it is destroyed.
struct Orphan {
    QString base;
    QString originalPath;
    QDateTime time;
    std::shared_ptr<QLockFile> lock;
    QString file() const { return base + QStringLiteral(".mtf"); }
    void Discard() const;  // deletes its files
};

// Orphans in the recovery folder, newest first.
std::vector<Orphan> FindOrphans();

// For each orphan, newest first, asks "Recover unsaved work" until one is
// recovered: `recover` opens the file as a modified document with its
// original path; a recovered or discarded orphan's files are deleted.
void OfferRecovery(
    QWidget* owner,
    const std::function<bool(const QString& file, const QString& originalPath)>& recover);
