#pragma once
// A private X server (Xvfb) of a given screen size for the lifetime of the
// object, so a test can run a real window (xcb) at any size and ratio.

#include <QProcess>
#include <QSize>
#include <QString>
#include <QStringList>

#include <utility>

class XvfbDisplay {
  public:
    explicit XvfbDisplay(QSize screenPixels);
    ~XvfbDisplay();
    XvfbDisplay(const XvfbDisplay&) = delete;
    XvfbDisplay& operator=(const XvfbDisplay&) = delete;

    // ":N", or empty when the server did not come up (see Error()).
    QString Name() const { return name_; }
    QString Error() const { return error_; }

    // Runs this test executable again with `arguments` as a real window (xcb)
    // on this server, with `environment` added to ours. Empty when it ran and
    // ended with 0, otherwise what it printed.
    QString RunThisTestHere(const QStringList& arguments,
                            const QList<std::pair<QString, QString>>& environment = {}) const;

  private:
    QProcess server_;
    QString name_;
    QString error_;
};
