#include <Tarn/AppearanceState.h>
#include <Tarn/DocumentWindowView.h>
#include <Tarn/EditorTextView.h>
#include <Tarn/EditorView.h>
#include <Tarn/ExportCommands.h>
#include <Tarn/MenuCommands.h>
#include <Tarn/SidebarState.h>
#include <Tarn/TarnApp.h>

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QWindow>

namespace Tarn {

using Kind = FormatAction::Kind;

QKeySequence formatShortcut(FormatAction action)
{
    switch (action.kind) {
    case Kind::bold:
        return QKeySequence(Qt::CTRL | Qt::Key_B);
    case Kind::italic:
        return QKeySequence(Qt::CTRL | Qt::Key_I);
    case Kind::strikethrough:
        return QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_X);
    case Kind::code:
        return QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C);
    case Kind::link:
        return QKeySequence(Qt::CTRL | Qt::Key_K);
    case Kind::bulletedList:
        return QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_7);
    case Kind::numberedList:
        return QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_8);
    case Kind::taskList:
        return QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_L);
    case Kind::blockquote:
        return QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_Q);
    case Kind::codeBlock:
        return QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_K);
    case Kind::heading:
        if (action.level < 1 || action.level > 6)
            return {};
        return QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key(Qt::Key_0 + action.level));
    }
    return {};
}

MenuCommands::MenuCommands(TarnApp *app)
    : QObject(app)
{
    m_new = new QAction(tr("&New"), this);
    m_new->setShortcut(QKeySequence::New);
    connect(m_new, &QAction::triggered, app, [app] { app->newDocument(); });
    m_open = new QAction(tr("&Open…"), this);
    m_open->setShortcut(QKeySequence::Open);
    connect(m_open, &QAction::triggered, app, [app] { app->showOpenDialog(); });
    m_quit = new QAction(tr("&Quit"), this);
    m_quit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    m_quit->setMenuRole(QAction::QuitRole);
    connect(m_quit, &QAction::triggered, app, [app] { app->quit(); });
    m_about = new QAction(tr("About Tarn"), this);
    m_about->setMenuRole(QAction::AboutRole);
    connect(m_about, &QAction::triggered, app, [app] { app->showAbout(); });

    m_exportHTML = new QAction(tr("Export as HTML…"), this);
    connect(m_exportHTML, &QAction::triggered, this,
            [] { exportAsHTML(focusedDocumentWindow(), focusedTarget()); });
    m_exportPDF = new QAction(tr("Export as PDF…"), this);
    connect(m_exportPDF, &QAction::triggered, this,
            [] { exportAsPDF(focusedDocumentWindow(), focusedTarget()); });

    m_sidebarToggle = new QAction(this);
    m_sidebarToggle->setObjectName(QStringLiteral("sidebarToggle"));
    m_sidebarToggle->setShortcut(QKeySequence(Qt::CTRL | Qt::META | Qt::Key_S));
    connect(m_sidebarToggle, &QAction::triggered, this, [] { SidebarState::instance().toggle(); });
    connect(&SidebarState::instance(), &SidebarState::visibleChanged, this,
            &MenuCommands::updateStates);

    m_appearanceGroup = new QActionGroup(this);
    m_appearanceGroup->setExclusive(true);
    for (const auto &name : appAppearanceNames) {
        auto *action = new QAction(menuLabel(name.value), m_appearanceGroup);
        action->setCheckable(true);
        const AppAppearance value = name.value;
        connect(action, &QAction::triggered, this,
                [value] { AppearanceState::instance().setAppearance(value); });
        m_appearanceActions.push_back(action);
    }
    connect(&AppearanceState::instance(), &AppearanceState::appearanceChanged, this,
            &MenuCommands::updateStates);

    addFormatItem(FormatAction{Kind::bold}, formatShortcut(FormatAction{Kind::bold}));
    addFormatItem(FormatAction{Kind::italic}, formatShortcut(FormatAction{Kind::italic}));
    addFormatItem(FormatAction{Kind::strikethrough},
                  formatShortcut(FormatAction{Kind::strikethrough}));
    addFormatItem(FormatAction{Kind::code}, formatShortcut(FormatAction{Kind::code}));
    addFormatItem(FormatAction{Kind::link}, formatShortcut(FormatAction{Kind::link}));
    for (int level = 1; level <= 6; ++level)
        addFormatItem(FormatAction::heading(level), formatShortcut(FormatAction::heading(level)));
    for (const Kind kind : {Kind::bulletedList, Kind::numberedList, Kind::taskList,
                            Kind::blockquote, Kind::codeBlock})
        addFormatItem(FormatAction{kind}, formatShortcut(FormatAction{kind}));

    using Code = TextFinderAction;
    addFindItem(tr("Find…"), int(Code::showFindInterface), QKeySequence(Qt::CTRL | Qt::Key_F));
    addFindItem(tr("Find and Replace…"), int(Code::showReplaceInterface),
                QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_F));
    addFindItem(tr("Find Next"), int(Code::nextMatch), QKeySequence(Qt::CTRL | Qt::Key_G));
    addFindItem(tr("Find Previous"), int(Code::previousMatch),
                QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_G));
    addFindItem(tr("Use Selection for Find"), int(Code::setSearchString),
                QKeySequence(Qt::CTRL | Qt::Key_E));

    // The editor's own key bindings never shadow a menu command.
    QList<QKeySequence> shortcuts{m_sidebarToggle->shortcut()};
    for (const auto &item : m_formatItems)
        shortcuts.push_back(item.menuAction->shortcut());
    for (const QAction *action : m_findActions)
        shortcuts.push_back(action->shortcut());
    EditorTextView::setCommandShortcuts(shortcuts);

    connect(qApp, &QApplication::focusChanged, this, &MenuCommands::updateStates);
    connect(qApp, &QGuiApplication::focusWindowChanged, this, &MenuCommands::updateStates);
    updateStates();
}

QAction *MenuCommands::addFormatItem(FormatAction action, const QKeySequence &shortcut)
{
    auto *menuAction = new QAction(action.displayName(), this);
    menuAction->setShortcut(shortcut);
    connect(menuAction, &QAction::triggered, this, [action] { apply(focusedTarget(), action); });
    m_formatItems.push_back({action, menuAction});
    return menuAction;
}

QAction *MenuCommands::addFindItem(const QString &title, int code, const QKeySequence &shortcut)
{
    auto *action = new QAction(title, this);
    action->setShortcut(shortcut);
    connect(action, &QAction::triggered, this, [code] {
        // Sent to whatever has keyboard focus; outside an editor nothing happens.
        if (EditorView *editor = EditorView::containing(QApplication::focusWidget()))
            editor->performTextFinderAction(code);
    });
    m_findActions.push_back(action);
    return action;
}

QAction *MenuCommands::formatAction(FormatAction action) const
{
    for (const auto &item : m_formatItems) {
        if (item.action == action)
            return item.menuAction;
    }
    return nullptr;
}

DocumentWindowView *MenuCommands::focusedDocumentWindow()
{
    return qobject_cast<DocumentWindowView *>(QApplication::activeWindow());
}

FormatCommandTarget MenuCommands::focusedTarget()
{
    if (DocumentWindowView *window = focusedDocumentWindow())
        return window->formatCommandTarget();
    return {};
}

void MenuCommands::updateStates()
{
    const bool hasDocument = focusedDocumentWindow() != nullptr;
    for (const auto &item : m_formatItems)
        item.menuAction->setEnabled(hasDocument);
    m_exportHTML->setEnabled(hasDocument);
    m_exportPDF->setEnabled(hasDocument);
    m_sidebarToggle->setText(SidebarState::instance().isVisible() ? tr("Hide Sidebar")
                                                                  : tr("Show Sidebar"));
    const AppAppearance appearance = AppearanceState::instance().appearance();
    for (std::size_t i = 0; i < m_appearanceActions.size(); ++i)
        m_appearanceActions[i]->setChecked(appAppearanceNames[i].value == appearance);
}

void MenuCommands::populate(QMenuBar *menuBar, const WindowActions &window) const
{
    QMenu *file = menuBar->addMenu(tr("&File"));
    file->addAction(m_new);
    file->addAction(m_open);
    file->addSeparator();
    file->addAction(window.save);
    file->addAction(window.saveAs);
    file->addSeparator();
    file->addAction(m_exportHTML);
    file->addAction(m_exportPDF);
    file->addSeparator();
    file->addAction(window.close);
    file->addAction(m_quit);

    QMenu *edit = menuBar->addMenu(tr("&Edit"));
    edit->addAction(window.undo);
    edit->addAction(window.redo);
    edit->addSeparator();
    edit->addAction(window.cut);
    edit->addAction(window.copy);
    edit->addAction(window.paste);
    edit->addAction(window.selectAll);
    edit->addSeparator();
    QMenu *find = edit->addMenu(tr("Find"));
    for (QAction *action : m_findActions)
        find->addAction(action);

    QMenu *view = menuBar->addMenu(tr("&View"));
    view->addAction(m_sidebarToggle);
    view->addSeparator();
    QMenu *appearance = view->addMenu(tr("Appearance"));
    appearance->addSection(tr("Appearance"));
    for (QAction *action : m_appearanceActions)
        appearance->addAction(action);

    QMenu *format = menuBar->addMenu(tr("F&ormat"));
    QMenu *heading = nullptr;
    for (const auto &item : m_formatItems) {
        switch (item.action.kind) {
        case Kind::bold:
        case Kind::italic:
        case Kind::strikethrough:
        case Kind::code:
        case Kind::link:
        case Kind::numberedList:
        case Kind::codeBlock:
            format->addAction(item.menuAction);
            break;
        case Kind::heading:
            if (!heading) {
                format->addSeparator();
                heading = format->addMenu(tr("Heading"));
            }
            heading->addAction(item.menuAction);
            break;
        case Kind::bulletedList:
        case Kind::blockquote:
            // Each opens a group of its own.
            format->addSeparator();
            format->addAction(item.menuAction);
            break;
        case Kind::taskList:
            format->addAction(item.menuAction);
            break;
        }
    }

    QMenu *help = menuBar->addMenu(tr("&Help"));
    help->addAction(m_about);
}

} // namespace Tarn
