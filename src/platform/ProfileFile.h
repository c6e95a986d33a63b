#pragma once
// An INI file read and written the way the Windows private-profile functions
// do it, so a file shared with the Windows version or edited by hand keeps its
// shape: names match case-insensitively, a write changes only the line of its
// key, and comments, blank lines, unknown keys and line ends stay as they are.
// QSettings would escape backslashes and reorder keys. Thread: any, one
// instance per thread.

#include <QString>
#include <QStringView>

#include <optional>
#include <vector>

class ProfileFile {
  public:
    // A missing file loads as an empty profile. False (with the reason) only
    // when the file exists but cannot be read; the profile is then empty.
    bool Load(const QString& path, QString* errorText = nullptr);
    // Takes the file's bytes line by line: a line of valid UTF-8 is UTF-8,
    // any other Windows-1252 (written by the Windows version, or a comment
    // typed in a Latin-1 editor), so one such byte garbles no other line.
    void LoadBytes(const QByteArray& bytes);

    // The value of the first matching key in the first matching section,
    // trimmed, with one pair of enclosing quotes removed; nullopt if absent.
    std::optional<QString> ReadString(QStringView section, QStringView key) const;
    // Whether a section of that name is in the file, with or without keys.
    bool HasSection(QStringView section) const { return FindSection(section).has_value(); }

    // The names of the file's sections, and of the keys of the first section
    // of a name, each once (first spelling), in file order: what reading
    // with an empty section or key lists on Windows.
    std::vector<QString> SectionNames() const;
    std::vector<QString> KeyNames(QStringView section) const;

    // Sets the key in place, or appends it at the end of its section, or
    // appends the section at the end of the file. False, and nothing changed,
    // for names or values that a line cannot hold (line breaks, "=" in a key,
    // "]" in a section name, empty names).
    bool WriteString(const QString& section, const QString& key, const QString& value);

    // Every line not written since the load with its bytes as read, the
    // others as UTF-8, each with its own line end.
    QByteArray ToBytes() const;
    // Replaces the file atomically: a failed save leaves the old file whole.
    bool Save(const QString& path, QString* errorText = nullptr) const;

    // Lines the lookups have examined since the last load: what a write
    // costs, for tests that must not time it.
    std::size_t LinesScanned() const { return linesScanned_; }

  private:
    struct Line {
        QString text;
        QString ending; // "\n", "\r\n" or empty for a last line without one
        // The bytes of text as read; none once the line is written, so an
        // untouched line in either encoding goes back as it came.
        std::optional<QByteArray> bytesRead;
    };

    std::optional<std::size_t> FindSection(QStringView section) const;
    std::size_t SectionEnd(std::size_t headerIndex) const;
    std::optional<std::size_t> FindKey(std::size_t headerIndex, std::size_t sectionEnd,
                                       QStringView key) const;
    void EnsureLastLineEnded();

    std::vector<Line> lines_;
    QString newLineEnding_ = QStringLiteral("\n");
    int byteOrderMarks_ = 0; // UTF-8 marks in front of the text
    mutable std::size_t linesScanned_ = 0;
};
