#include "results/ResultsFile.h"

#include "platform/RegularFile.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <algorithm>
#include <cerrno>
#include <cstring>

namespace {

enum class Access { Reading, Writing };

// The texts the player knows from the program's Windows days.
QString ErrorText(int errorNumber, Access access)
{
    switch (errorNumber) {
    case ENOENT:
        // When writing, the file is created, so only its folder can be missing.
        return access == Access::Reading
                   ? QCoreApplication::translate("ResultsFile", "File not found.")
                   : QCoreApplication::translate("ResultsFile", "Invalid filename.");
    case ENOTDIR:
    case ENAMETOOLONG:
    case EINVAL:
        return QCoreApplication::translate("ResultsFile", "Invalid filename.");
    case EMFILE:
    case ENFILE:
        return QCoreApplication::translate("ResultsFile", "Too many open files.");
    case EACCES:
    case EPERM:
    case EISDIR:
    case EROFS:
    case ETXTBSY:
        return QCoreApplication::translate("ResultsFile", "File access denied.");
    case ENOSPC:
    case EDQUOT:
        return QCoreApplication::translate("ResultsFile", "Disk full.");
    default:
        return QCoreApplication::translate("ResultsFile", "I/O error %1.").arg(errorNumber);
    }
}

ResultsFileOutcome Failure(const QString& text)
{
    return {ResultsFileStatus::Failed, text};
}

constexpr auto StampHash = QCryptographicHash::Sha256;

// The hash of the file's first sizeBytes bytes, `head` being those already
// read. Bounded by the size taken from the file system, so a device that
// never ends cannot hold the game. Empty when the file cannot be read.
QByteArray ContentHash(const QByteArray& head, QFile& file, qint64 sizeBytes)
{
    QCryptographicHash hash(StampHash);
    hash.addData(head);
    qint64 left = sizeBytes - head.size();
    while (left > 0) {
        const QByteArray chunk = file.read(std::min<qint64>(left, qint64{64} * 1024));
        if (chunk.isEmpty())
            break;
        hash.addData(chunk);
        left -= chunk.size();
    }
    if (file.error() != QFileDevice::NoError)
        return {};
    return hash.result();
}

} // namespace

ResultsFile::ResultsFile(GameState& state) : stored_(state), state_(state) {}

void ResultsFile::InitStoredBandTable()
{
    stored_.StoredBandTable = state_.BandTable;
}

ResultsFileOutcome ResultsFile::LoadResults(const QString& fileName)
{
    const QFileInfo info(fileName);
    if (fileName.isEmpty() || !info.exists())
        return {ResultsFileStatus::NotFound,
                QCoreApplication::translate("ResultsFile", "File not found.")};
    if (info.isDir())
        return Failure(ErrorText(EISDIR, Access::Reading));

    // Read-only: loading must not need write access to the file. A pipe in
    // its place would hold the game up until something wrote into it.
    ReadOnlyFile opened(fileName);
    if (opened.SpecialFile())
        return Failure(QCoreApplication::translate("ResultsFile",
                                                   "Die Datei „%1“ kann nicht geladen werden.\n%2")
                           .arg(QDir::toNativeSeparators(fileName), opened.Reason()));
    if (!opened.IsOpen())
        return Failure(ErrorText(opened.ErrorNumber(), Access::Reading));
    QFile file;
    if (!file.open(opened.Descriptor(), QIODevice::ReadOnly, QFileDevice::DontCloseHandle))
        return Failure(ErrorText(EIO, Access::Reading));
    errno = 0;
    const QByteArray bytes = file.read(ResultsFileSize);
    if (file.error() != QFileDevice::NoError)
        return Failure(ErrorText(errno != 0 ? errno : EIO, Access::Reading));
    if (bytes.size() < ResultsFileSize)
        return Failure(QCoreApplication::translate("ResultsFile", "Read beyond end of file."));
    // The rest of a longer file counts too: another program may have
    // appended to it, and saving would cut that off.
    const QByteArray contentHash = ContentHash(bytes, file, info.size());

    // The record is the in-memory BandSlot byte for byte.
    BandArray records;
    std::memcpy(records.data(), bytes.constData(), ResultsFileSize);

    if (HoldsSavedGame(records) && info.canonicalFilePath() == savedGameFile_) {
        for (int i = 0; i < BandCount; ++i)
            savedGame_[i].SubtractFrom(records[i]);
    } else {
        savedGame_ = {};
        savedGameFile_.clear();
    }
    stored_.StoredBandTable = records;
    stored_.ResultsFileName = fileName;
    RememberStamp(fileName, contentHash);
    return {};
}

ResultsFileOutcome ResultsFile::SaveResults(const QString& fileName)
{
    if (fileName.isEmpty())
        return Failure(ErrorText(EINVAL, Access::Writing));
    const QFileInfo info(fileName);
    if (info.isDir())
        return Failure(ErrorText(EISDIR, Access::Writing));
    if (!QFileInfo(info.absolutePath()).isDir())
        return Failure(ErrorText(ENOENT, Access::Writing));

    // Written to a temporary file beside it and renamed over the old one, so
    // a failure at any point leaves the previous file whole. Unbuffered: a
    // buffered QSaveFile learns of a full disk only inside commit(), which
    // then still renames the empty file over the old one.
    QSaveFile file(fileName);
    errno = 0;
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        const int openError = errno;
        if (info.exists() && !info.isWritable())
            return Failure(ErrorText(EACCES, Access::Writing));
        return Failure(ErrorText(openError != 0 ? openError : EACCES, Access::Writing));
    }
    const QByteArray image = ResultsImage();
    errno = 0;
    if (file.write(image) != image.size() || !file.flush() ||
        file.error() != QFileDevice::NoError) {
        const int writeError = errno != 0 ? errno : EIO;
        file.cancelWriting();
        return Failure(ErrorText(writeError, Access::Writing));
    }
    errno = 0;
    if (!file.commit())
        return Failure(ErrorText(errno != 0 ? errno : EIO, Access::Writing));

    for (int i = 0; i < BandCount; ++i)
        savedGame_[i] = BandCounters::Of(state_.BandTable[i]);
    savedGameFile_ = QFileInfo(fileName).canonicalFilePath();
    stored_.ResultsFileName = fileName;
    RememberStamp(fileName, QCryptographicHash::hash(image, StampHash));
    return {};
}

void ResultsFile::KeepSavedGame()
{
    for (int i = 0; i < BandCount; ++i) {
        if (savedGame_[i].IsZero())
            continue;
        BandSlot& stored = stored_.StoredBandTable[i];
        // The file holds the stored part it was saved with plus the saved game.
        SavedPart(stored).StoreIn(stored);
        savedGame_[i].AddTo(stored);
    }
    savedGame_ = {};
    savedGameFile_.clear();
}

QByteArray ResultsFile::ResultsImage() const
{
    QByteArray image(ResultsFileSize, '\0');
    for (int i = 0; i < BandCount; ++i) {
        BandSlot record = state_.BandTable[i];
        SavedPart(state_.StoredBandTable[i]).AddTo(record);
        std::memcpy(image.data() + static_cast<std::ptrdiff_t>(i) * ResultsRecordSize, &record,
                    ResultsRecordSize);
    }
    return image;
}

bool ResultsFile::HoldsSavedGame(const BandArray& records) const
{
    if (savedGameFile_.isEmpty())
        return false;
    for (int i = 0; i < BandCount; ++i) {
        const BandCounters inFile = SavedPart(records[i]);
        const BandCounters& saved = savedGame_[i];
        if (inFile.Finds < saved.Finds || inFile.Attempts < saved.Attempts ||
            inFile.FindTime < saved.FindTime)
            return false;
    }
    return true;
}

void ResultsFile::RememberStamp(const QString& fileName, const QByteArray& contentHash)
{
    const QFileInfo info(fileName);
    const QString canonical = info.canonicalFilePath();
    if (!canonical.isEmpty())
        stamps_[canonical] = {info.size(), info.lastModified(), contentHash};
}

bool ResultsFile::ChangedSinceLoadedOrSaved(const QString& fileName) const
{
    const QFileInfo info(fileName);
    const auto known = stamps_.find(info.canonicalFilePath());
    if (known == stamps_.end())
        return false;
    const FileStamp& stamp = known->second;
    if (info.size() != stamp.sizeBytes || info.lastModified() != stamp.modified)
        return true;
    // Same size and time can still hide a rewrite within the clock's tick.
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return true;
    const QByteArray contentHash = ContentHash({}, file, stamp.sizeBytes);
    return contentHash.isEmpty() || contentHash != stamp.contentHash;
}
