#include "ToolbarIcons.h"

#include <Tarn/AppearanceState.h>
#include <Tarn/DocumentWindowView.h>
#include <Tarn/MarkdownDocument.h>
#include <Tarn/MenuCommands.h>
#include <Tarn/SidebarState.h>
#include <Tarn/TarnApp.h>
#include <Tarn/TarnLog.h>

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QMessageBox>
#include <QUrl>
#include <QVBoxLayout>

namespace Tarn {

namespace {

TarnApp *currentApp = nullptr;

QString canonicalOrAbsolute(const QString &path)
{
    const QFileInfo info(path);
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? info.absoluteFilePath() : canonical;
}

} // namespace

TarnApp::TarnApp()
{
    currentApp = this;
    QCoreApplication::setOrganizationName(QStringLiteral("Tarn"));
    QCoreApplication::setApplicationName(QStringLiteral("Tarn"));
    QCoreApplication::setApplicationVersion(QStringLiteral(TARN_VERSION));
    QGuiApplication::setApplicationDisplayName(QStringLiteral("Tarn"));
    QGuiApplication::setDesktopFileName(QStringLiteral("tarn"));
    QApplication::setWindowIcon(applicationIcon());
    // Created now so that the stored appearance applies before the first window shows.
    AppearanceState::instance();
    SidebarState::instance();
    m_commands = new MenuCommands(this);
}

TarnApp::~TarnApp()
{
    // Windows normally delete themselves on close; any still open go with the application.
    for (const auto &window : std::as_const(m_windows)) {
        if (window)
            delete window.data();
    }
    if (m_about)
        delete m_about.data();
    currentApp = nullptr;
}

TarnApp *TarnApp::instance() { return currentApp; }

QList<DocumentWindowView *> TarnApp::windows() const
{
    QList<DocumentWindowView *> windows;
    for (const auto &window : m_windows) {
        if (window)
            windows.push_back(window);
    }
    return windows;
}

DocumentWindowView *TarnApp::openDocument(const QString &text, const QString &filePath)
{
    auto *window = new DocumentWindowView(text, filePath, *m_commands);
    m_windows.push_back(window);
    connect(window, &QObject::destroyed, this, [this] {
        m_windows.removeIf([](const QPointer<DocumentWindowView> &w) { return w.isNull(); });
        m_commands->updateStates();
        Q_EMIT windowsChanged();
    });
    // Cascade new windows a little so that they do not hide each other exactly.
    if (m_windows.size() > 1) {
        if (const DocumentWindowView *previous = m_windows.at(m_windows.size() - 2))
            window->move(previous->pos() + QPoint(28, 28));
    }
    window->show();
    window->activateWindow();
    window->raise();
    m_commands->updateStates();
    Q_EMIT windowsChanged();
    return window;
}

DocumentWindowView *TarnApp::newDocument() { return openDocument(QString(), QString()); }

DocumentWindowView *TarnApp::openFile(const QString &path)
{
    const QString absolute = canonicalOrAbsolute(path);
    for (DocumentWindowView *window : windows()) {
        if (!window->filePath().isEmpty() && canonicalOrAbsolute(window->filePath()) == absolute) {
            window->show();
            window->raise();
            window->activateWindow();
            return window;
        }
    }
    const auto text = MarkdownDocument::readFile(absolute);
    if (!text) {
        QMessageBox::critical(QApplication::activeWindow(), tr("Tarn"),
                              documentReadErrorMessage(text.error(), QFileInfo(path).fileName()));
        return nullptr;
    }
    return openDocument(*text, absolute);
}

QList<DocumentWindowView *> TarnApp::openFiles(const QStringList &paths)
{
    QList<DocumentWindowView *> opened;
    for (const QString &path : paths) {
        // A name that does not exist yet is a new document to be saved under that name.
        if (!QFileInfo::exists(path)) {
            opened.push_back(openDocument(QString(), QFileInfo(path).absoluteFilePath()));
            continue;
        }
        if (DocumentWindowView *window = openFile(path))
            opened.push_back(window);
    }
    return opened;
}

void TarnApp::showOpenDialog()
{
    DocumentWindowView *replaceable = MenuCommands::focusedDocumentWindow();
    const QStringList paths = QFileDialog::getOpenFileNames(
        QApplication::activeWindow(), tr("Open"), QString(),
        tr("Markdown (*.md *.markdown *.mdown *.mkd *.mkdn);;Plain Text (*.txt *.text);;"
           "All Files (*)"));
    if (paths.isEmpty())
        return;
    const bool replace = replaceable && replaceable->isUntouchedNewDocument();
    QList<DocumentWindowView *> opened;
    for (const QString &path : paths) {
        if (DocumentWindowView *window = openFile(path))
            opened.push_back(window);
    }
    // An empty new window gives way to the file opened from it.
    if (replace && !opened.isEmpty() && !opened.contains(replaceable)) {
        const QPoint position = replaceable->pos();
        replaceable->close();
        opened.first()->move(position);
    }
}

bool TarnApp::quit()
{
    for (DocumentWindowView *window : windows()) {
        if (!window->close())
            return false;
    }
    QCoreApplication::quit();
    return true;
}

QString TarnApp::attributionPath()
{
    return QCoreApplication::applicationDirPath() + QStringLiteral("/Attribution.txt");
}

void TarnApp::showAbout()
{
    if (m_about) {
        m_about->show();
        m_about->raise();
        m_about->activateWindow();
        return;
    }
    auto *dialog = new QDialog;
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setObjectName(QStringLiteral("aboutDialog"));
    dialog->setWindowTitle(tr("About Tarn"));

    auto *logo = new QLabel(dialog);
    logo->setPixmap(applicationIcon().pixmap(QSize(64, 64)));
    logo->setAlignment(Qt::AlignCenter);
    auto *name = new QLabel(QStringLiteral("Tarn"), dialog);
    QFont nameFont = name->font();
    nameFont.setPointSizeF(nameFont.pointSizeF() * 1.6);
    nameFont.setWeight(QFont::Bold);
    name->setFont(nameFont);
    name->setAlignment(Qt::AlignCenter);
    auto *version
        = new QLabel(tr("Version %1").arg(QCoreApplication::applicationVersion()), dialog);
    version->setAlignment(Qt::AlignCenter);
    auto *summary = new QLabel(tr("A native Markdown editor with live preview."), dialog);
    summary->setAlignment(Qt::AlignCenter);

    auto *credits = new QLabel(dialog);
    credits->setObjectName(QStringLiteral("credits"));
    credits->setAlignment(Qt::AlignCenter);
    const QString attribution = attributionPath();
    if (QFileInfo::exists(attribution)) {
        credits->setText(QStringLiteral("<a href=\"%1\">%2</a>")
                             .arg(QUrl::fromLocalFile(attribution).toString(QUrl::FullyEncoded),
                                  tr("Third-party software acknowledgments").toHtmlEscaped()));
        credits->setTextFormat(Qt::RichText);
        credits->setOpenExternalLinks(true);
        credits->setTextInteractionFlags(Qt::TextBrowserInteraction);
    } else {
        qCCritical(tarnLog, "Attribution.txt not found in bundle");
    }

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close, dialog);
    connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::close);
    auto *layout = new QVBoxLayout(dialog);
    layout->setContentsMargins(32, 24, 32, 16);
    layout->setSpacing(8);
    layout->addWidget(logo);
    layout->addWidget(name);
    layout->addWidget(version);
    layout->addWidget(summary);
    layout->addSpacing(8);
    layout->addWidget(credits);
    layout->addSpacing(8);
    layout->addWidget(buttons);
    m_about = dialog;
    dialog->show();
    dialog->activateWindow();
}

} // namespace Tarn
