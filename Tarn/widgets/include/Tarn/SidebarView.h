#pragma once

#include <Tarn/Outline.h>

#include <QPointer>
#include <QWidget>

#include <functional>

class QLabel;
class QListWidget;
class QStackedWidget;

namespace Tarn {

class DocumentOutlineModel;

/// The outline column: one row per heading of the window's outline, or "No headings". Rows
/// are buttons, never shown as selected; pressing one hands its entry to `onSelectHeading`.
class SidebarView : public QWidget
{
    Q_OBJECT

public:
    static constexpr int indentPerLevel = 12;
    /// Space between the column's edges and the row titles.
    static constexpr int rowInset = 10;

    SidebarView(DocumentOutlineModel *outline,
                std::function<void(const OutlineEntry &)> onSelectHeading,
                QWidget *parent = nullptr);

    /// The rows' list, for keyboard and tests.
    QListWidget *listWidget() const { return m_list; }

private:
    void reload();

    QPointer<DocumentOutlineModel> m_outline;
    std::function<void(const OutlineEntry &)> m_onSelectHeading;
    std::vector<OutlineEntry> m_entries;
    QStackedWidget *m_stack = nullptr;
    QListWidget *m_list = nullptr;
    QLabel *m_placeholder = nullptr;
};

} // namespace Tarn
