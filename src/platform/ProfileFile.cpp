#include "platform/ProfileFile.h"

#include "platform/FileErrorText.h"
#include "platform/RegularFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>

#include <cerrno>

namespace {

const QByteArray ByteOrderMark("\xEF\xBB\xBF");

// Windows trims only the C locale's blanks, not every Unicode space.
bool IsBlank(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == u'\v' || c == u'\f';
}

QStringView Trimmed(QStringView text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && IsBlank(text[begin]))
        ++begin;
    while (end > begin && IsBlank(text[end - 1]))
        --end;
    return text.mid(begin, end - begin);
}

bool IsQuote(QChar c)
{
    return c == u'"' || c == u'\'';
}

QStringView WithoutQuotes(QStringView value)
{
    if (value.size() >= 2 && IsQuote(value.front()) && value.back() == value.front())
        return value.mid(1, value.size() - 2);
    return value;
}

bool HasLineBreak(QStringView text)
{
    return text.contains(u'\n') || text.contains(u'\r');
}

// 0x80..0x9F of Windows-1252; the rest of the code page is Latin-1. The five
// unassigned bytes map to the C1 controls, as Windows converts them.
constexpr char16_t Cp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

QString DecodeWindows1252(QByteArrayView bytes)
{
    QString text;
    text.reserve(bytes.size());
    for (char byte : bytes) {
        const auto code = static_cast<unsigned char>(byte);
        text.append(code >= 0x80 && code < 0xA0 ? QChar(Cp1252High[code - 0x80]) : QChar(code));
    }
    return text;
}

// Per line: a file the game wrote in UTF-8 keeps its paths readable when a
// hand-edited comment brings one Latin-1 byte.
QString DecodeLine(QByteArrayView bytes)
{
    // A mark at the start of a later line is text; the decoder must not drop
    // it silently, or the line would mean something else once written.
    QStringDecoder utf8(QStringDecoder::Utf8,
                        QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    QString text = utf8(bytes);
    if (utf8.hasError())
        return DecodeWindows1252(bytes);
    return text;
}

// A view into the line: looking up a section allocates nothing per line.
std::optional<QStringView> SectionNameOf(const QString& line)
{
    const QStringView text = Trimmed(line);
    if (!text.startsWith(u'['))
        return std::nullopt;
    const qsizetype close = text.indexOf(u']');
    const QStringView name = close < 0 ? text.mid(1) : text.mid(1, close - 1);
    return Trimmed(name);
}

struct KeyLine {
    QStringView name;
    qsizetype valueStart = 0; // index in the line just after the blanks that follow "="
};

std::optional<KeyLine> KeyLineOf(const QString& line)
{
    const QStringView text = Trimmed(line);
    if (text.isEmpty() || text.startsWith(u';') || text.startsWith(u'['))
        return std::nullopt;
    const qsizetype equals = line.indexOf(u'=');
    if (equals < 0)
        return std::nullopt;
    const QStringView name = Trimmed(QStringView(line).left(equals));
    if (name.isEmpty())
        return std::nullopt;
    qsizetype valueStart = equals + 1;
    while (valueStart < line.size() && IsBlank(line[valueStart]))
        ++valueStart;
    return KeyLine{name, valueStart};
}

QString ValueOf(const QString& line, const KeyLine& key)
{
    return WithoutQuotes(Trimmed(QStringView(line).mid(key.valueStart))).toString();
}

bool SameName(QStringView a, QStringView b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// Quotes keep values that reading would otherwise change: outer blanks, or a
// value that itself looks quoted.
QString StoredValue(const QString& value)
{
    if (Trimmed(value).size() != value.size() || WithoutQuotes(value).size() != value.size())
        return u'"' + value + u'"';
    return value;
}

} // namespace

namespace {

bool Failed(QString* errorText, const QString& reason, const QString& path)
{
    if (errorText)
        *errorText = QCoreApplication::translate("ProfileFile", "%1\nDatei: %2")
                         .arg(reason, QDir::toNativeSeparators(path));
    return false;
}

bool Failed(QString* errorText, int errorNumber, const QString& path)
{
    return Failed(errorText, GermanFileErrorText(errorNumber), path);
}

} // namespace

bool ProfileFile::Load(const QString& path, QString* errorText)
{
    LoadBytes({});
    if (!QFileInfo::exists(path))
        return true;
    // A pipe in the file's place would hold the game up until something
    // wrote into it; it reads as unreadable, so it is never written either.
    const ReadOnlyFile opened(path);
    if (!opened.IsOpen())
        return Failed(errorText, opened.Reason(), path);
    QFile file;
    if (!file.open(opened.Descriptor(), QIODevice::ReadOnly, QFileDevice::DontCloseHandle))
        return Failed(errorText, EIO, path);
    errno = 0;
    const QByteArray bytes = file.readAll();
    if (file.error() != QFile::NoError)
        return Failed(errorText, errno != 0 ? errno : EIO, path);
    LoadBytes(bytes);
    return true;
}

void ProfileFile::LoadBytes(const QByteArray& bytes)
{
    lines_.clear();
    linesScanned_ = 0;
    newLineEnding_ = QStringLiteral("\n");
    // Every mark in front is a mark, not text in the first line; written back
    // as many as were read.
    byteOrderMarks_ = 0;
    qsizetype textStart = 0;
    while (QByteArrayView(bytes).sliced(textStart).startsWith(ByteOrderMark)) {
        ++byteOrderMarks_;
        textStart += ByteOrderMark.size();
    }
    const QByteArrayView text = QByteArrayView(bytes).sliced(textStart);
    qsizetype start = 0;
    while (start < text.size()) {
        const qsizetype newLine = text.indexOf('\n', start);
        if (newLine < 0) {
            const QByteArray lineBytes = text.sliced(start).toByteArray();
            lines_.push_back({DecodeLine(lineBytes), QString(), lineBytes});
            break;
        }
        const bool crlf = newLine > start && text[newLine - 1] == '\r';
        const qsizetype textEnd = crlf ? newLine - 1 : newLine;
        const QByteArray lineBytes = text.sliced(start, textEnd - start).toByteArray();
        lines_.push_back({DecodeLine(lineBytes),
                          crlf ? QStringLiteral("\r\n") : QStringLiteral("\n"), lineBytes});
        start = newLine + 1;
    }
    // New lines follow the file's first line end.
    if (!lines_.empty() && !lines_.front().ending.isEmpty())
        newLineEnding_ = lines_.front().ending;
}

std::optional<std::size_t> ProfileFile::FindSection(QStringView section) const
{
    const QStringView wanted = Trimmed(section);
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        ++linesScanned_;
        const auto name = SectionNameOf(lines_[i].text);
        if (name && SameName(*name, wanted))
            return i;
    }
    return std::nullopt;
}

std::size_t ProfileFile::SectionEnd(std::size_t headerIndex) const
{
    std::size_t i = headerIndex + 1;
    while (i < lines_.size() && !SectionNameOf(lines_[i].text)) {
        ++linesScanned_;
        ++i;
    }
    return i;
}

std::optional<std::size_t> ProfileFile::FindKey(std::size_t headerIndex, std::size_t sectionEnd,
                                                QStringView key) const
{
    const QStringView wanted = Trimmed(key);
    for (std::size_t i = headerIndex + 1; i < sectionEnd; ++i) {
        ++linesScanned_;
        const auto keyLine = KeyLineOf(lines_[i].text);
        if (keyLine && SameName(keyLine->name, wanted))
            return i;
    }
    return std::nullopt;
}

std::optional<QString> ProfileFile::ReadString(QStringView section, QStringView key) const
{
    const auto header = FindSection(section);
    if (!header)
        return std::nullopt;
    const auto index = FindKey(*header, SectionEnd(*header), key);
    if (!index)
        return std::nullopt;
    const QString& line = lines_[*index].text;
    return ValueOf(line, *KeyLineOf(line));
}

namespace {

void AddOnce(std::vector<QString>& names, QStringView name)
{
    for (const QString& known : names)
        if (SameName(known, name))
            return;
    names.push_back(name.toString());
}

} // namespace

std::vector<QString> ProfileFile::SectionNames() const
{
    std::vector<QString> names;
    for (const Line& line : lines_)
        if (const auto name = SectionNameOf(line.text))
            AddOnce(names, *name);
    return names;
}

std::vector<QString> ProfileFile::KeyNames(QStringView section) const
{
    std::vector<QString> names;
    const auto header = FindSection(section);
    if (!header)
        return names;
    const std::size_t end = SectionEnd(*header);
    for (std::size_t i = *header + 1; i < end; ++i)
        if (const auto keyLine = KeyLineOf(lines_[i].text))
            AddOnce(names, keyLine->name);
    return names;
}

void ProfileFile::EnsureLastLineEnded()
{
    if (!lines_.empty() && lines_.back().ending.isEmpty())
        lines_.back().ending = newLineEnding_;
}

bool ProfileFile::WriteString(const QString& section, const QString& key, const QString& value)
{
    const QString sectionName = Trimmed(section).toString();
    const QString keyName = Trimmed(key).toString();
    if (sectionName.isEmpty() || keyName.isEmpty() || HasLineBreak(section) || HasLineBreak(key) ||
        sectionName.contains(u']') || keyName.contains(u'=') || keyName.startsWith(u';') ||
        keyName.startsWith(u'['))
        return false;

    // Each lookup once: a section of many lines costs a few passes over it.
    const auto header = FindSection(sectionName);
    const std::size_t sectionEnd = header ? SectionEnd(*header) : lines_.size();
    const auto index = header ? FindKey(*header, sectionEnd, keyName) : std::nullopt;
    if (index) {
        const QString& line = lines_[*index].text;
        // An unchanged value leaves its line byte for byte, also one read
        // with a lone carriage return in it.
        if (ValueOf(line, *KeyLineOf(line)) == value)
            return true;
    }
    if (HasLineBreak(value))
        return false;
    const QString stored = StoredValue(value);

    if (!header) {
        EnsureLastLineEnded();
        if (!lines_.empty() && !Trimmed(lines_.back().text).isEmpty())
            lines_.push_back({QString(), newLineEnding_, std::nullopt});
        lines_.push_back({u'[' + sectionName + u']', newLineEnding_, std::nullopt});
        lines_.push_back({keyName + u'=' + stored, newLineEnding_, std::nullopt});
        return true;
    }

    if (index) {
        QString& line = lines_[*index].text;
        qsizetype prefixEnd = KeyLineOf(line)->valueStart;
        if (Trimmed(QStringView(line).mid(prefixEnd)).isEmpty())
            prefixEnd = line.indexOf(u'=') + 1;
        line = line.left(prefixEnd) + stored;
        lines_[*index].bytesRead.reset();
        return true;
    }

    // After the section's last entry, so blank lines and a comment that
    // introduce the next section stay in front of it.
    std::size_t insertAt = *header + 1;
    for (std::size_t i = insertAt; i < sectionEnd; ++i) {
        ++linesScanned_;
        const QStringView text = Trimmed(lines_[i].text);
        if (!text.isEmpty() && !text.startsWith(u';'))
            insertAt = i + 1;
    }
    if (insertAt == lines_.size())
        EnsureLastLineEnded();
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(insertAt),
                  Line{keyName + u'=' + stored, newLineEnding_, std::nullopt});
    return true;
}

QByteArray ProfileFile::ToBytes() const
{
    QByteArray bytes = ByteOrderMark.repeated(byteOrderMarks_);
    for (const Line& line : lines_) {
        bytes += line.bytesRead ? *line.bytesRead : line.text.toUtf8();
        bytes += line.ending.toLatin1();
    }
    return bytes;
}

bool ProfileFile::Save(const QString& path, QString* errorText) const
{
    // Unbuffered: a buffered QSaveFile learns of a full disk only inside
    // commit(), which then still renames the empty file over the old one.
    QSaveFile file(path);
    const QByteArray bytes = ToBytes();
    errno = 0;
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return Failed(errorText, WriteErrorNumber(errno, path), path);
    errno = 0;
    if (file.write(bytes) != bytes.size() || !file.flush() || file.error() != QFile::NoError) {
        const int writeError = WriteErrorNumber(errno, path);
        file.cancelWriting();
        return Failed(errorText, writeError, path);
    }
    errno = 0;
    if (!file.commit())
        return Failed(errorText, WriteErrorNumber(errno, path), path);
    return true;
}
