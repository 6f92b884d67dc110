#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QStringList>

namespace Tarn {

class DocumentWindowView;
class MenuCommands;

/// The application: one window per document, the shared menu commands and the About panel.
/// Create one after the QApplication.
class TarnApp : public QObject
{
    Q_OBJECT

public:
    TarnApp();
    ~TarnApp() override;

    static TarnApp *instance();

    /// Opens each file in a window of its own; a path that does not exist yet becomes a new
    /// document saved there. Read errors are shown. Returns the windows opened.
    QList<DocumentWindowView *> openFiles(const QStringList &paths);
    /// Opens one file, or raises its window when it is already open; null on a read error.
    DocumentWindowView *openFile(const QString &path);
    DocumentWindowView *newDocument();
    /// Shows a window on `text`; `filePath` is where it will be saved (empty: untitled).
    DocumentWindowView *openDocument(const QString &text, const QString &filePath);
    void showOpenDialog();
    void showAbout();
    /// Closes every window, asking about unsaved changes; stops at the first cancel.
    bool quit();

    MenuCommands &commands() const { return *m_commands; }
    QList<DocumentWindowView *> windows() const;

    /// Where the acknowledgments file is looked up: beside the executable.
    static QString attributionPath();

Q_SIGNALS:
    void windowsChanged();

private:
    MenuCommands *m_commands = nullptr;
    QList<QPointer<DocumentWindowView>> m_windows;
    QPointer<QWidget> m_about;
};

} // namespace Tarn
