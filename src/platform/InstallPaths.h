#pragma once
// Where an installed program finds its data. In the build tree everything
// lies next to the program; an installed one (prefix/bin/heulmeister) keeps its
// data in prefix/share/heulmeister.

#include <QString>

// The id of the desktop entry, the AppStream metadata and the icon.
inline constexpr char DesktopEntryId[] = "org.example.Heulmeister";

// `programDir` when the manual lies there, else programDir/../share/heulmeister
// (also when the manual is missing there, so that the help command names the
// place where an installed manual belongs).
QString ManualDirectory(const QString& programDir,
                        const QString& manualFileName = QStringLiteral("Heulmeister.html"));
