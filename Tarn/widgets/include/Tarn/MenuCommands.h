#pragma once

#include <Tarn/FormatAction.h>
#include <Tarn/FormatCommandTarget.h>

#include <QObject>

#include <vector>

class QAction;
class QActionGroup;
class QMenu;
class QMenuBar;

namespace Tarn {

class DocumentWindowView;
class TarnApp;

/// The menu items that belong to one document window.
struct WindowActions
{
    QAction *save = nullptr;
    QAction *saveAs = nullptr;
    QAction *close = nullptr;
    QAction *undo = nullptr;
    QAction *redo = nullptr;
    QAction *cut = nullptr;
    QAction *copy = nullptr;
    QAction *paste = nullptr;
    QAction *selectAll = nullptr;
};

/// The application's menu commands. Each action exists once and appears in every window's
/// menu bar; document commands act on the focused document window and are disabled while no
/// document window has focus.
class MenuCommands : public QObject
{
    Q_OBJECT

public:
    struct FormatItem
    {
        FormatAction action;
        QAction *menuAction = nullptr;
    };

    explicit MenuCommands(TarnApp *app);

    /// Fills a window's menu bar: File, Edit (with Find), View, Format, Help.
    void populate(QMenuBar *menuBar, const WindowActions &windowActions) const;

    /// The focused document window's target; invalid when no document window has focus.
    static FormatCommandTarget focusedTarget();
    static DocumentWindowView *focusedDocumentWindow();

    /// Recomputes enabled states and titles from the focused window and the shared state.
    void updateStates();

    QAction *newAction() const { return m_new; }
    QAction *openAction() const { return m_open; }
    QAction *quitAction() const { return m_quit; }
    QAction *aboutAction() const { return m_about; }
    QAction *exportHTMLAction() const { return m_exportHTML; }
    QAction *exportPDFAction() const { return m_exportPDF; }
    QAction *sidebarToggleAction() const { return m_sidebarToggle; }
    const std::vector<FormatItem> &formatItems() const { return m_formatItems; }
    /// The Format action for `action`, or null.
    QAction *formatAction(FormatAction action) const;
    const std::vector<QAction *> &findActions() const { return m_findActions; }
    const std::vector<QAction *> &appearanceActions() const { return m_appearanceActions; }

private:
    QAction *addFormatItem(FormatAction action, const QKeySequence &shortcut);
    QAction *addFindItem(const QString &title, int code, const QKeySequence &shortcut);

    QAction *m_new = nullptr;
    QAction *m_open = nullptr;
    QAction *m_quit = nullptr;
    QAction *m_about = nullptr;
    QAction *m_exportHTML = nullptr;
    QAction *m_exportPDF = nullptr;
    QAction *m_sidebarToggle = nullptr;
    QActionGroup *m_appearanceGroup = nullptr;
    std::vector<QAction *> m_appearanceActions;
    std::vector<FormatItem> m_formatItems;
    std::vector<QAction *> m_findActions;
};

/// The shortcut of a Format command as the toolbar help texts show it, e.g. "Ctrl+B".
QKeySequence formatShortcut(FormatAction action);

} // namespace Tarn
