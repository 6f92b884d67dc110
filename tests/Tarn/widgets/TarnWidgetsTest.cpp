// The desktop application driven through real widgets on the offscreen platform.

#include <Tarn/AppearanceState.h>
#include <Tarn/DocumentOutlineModel.h>
#include <Tarn/DocumentWindowView.h>
#include <Tarn/EditorTextStore.h>
#include <Tarn/EditorTextView.h>
#include <Tarn/EditorView.h>
#include <Tarn/FormatCommandTarget.h>
#include <Tarn/FormattingTransforms.h>
#include <Tarn/MarkdownDocument.h>
#include <Tarn/MenuCommands.h>
#include <Tarn/SidebarState.h>
#include <Tarn/SidebarView.h>
#include <Tarn/TarnApp.h>

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QRegularExpression>
#include <QSettings>
#include <QSignalSpy>
#include <QSplitter>
#include <QTemporaryDir>
#include <QTest>
#include <QTextCursor>
#include <QTextDocument>
#include <QTimer>

using namespace Tarn;

namespace {

QAction *windowAction(DocumentWindowView *window, const char *name)
{
    return window->findChild<QAction *>(QLatin1StringView(name));
}

QWidget *topLevel(const QString &objectName)
{
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (widget->objectName() == objectName)
            return widget;
    }
    return nullptr;
}

// Closes the modal dialog that the next statement opens.
void closeNextModalDialog(QObject *context)
{
    QTimer::singleShot(0, context, [] {
        if (QWidget *box = QApplication::activeModalWidget())
            box->close();
    });
}

} // namespace

class TarnWidgetsTest : public QObject
{
    Q_OBJECT

private:
    // A shown, active window on `text`, closed after the test function.
    DocumentWindowView *openWindow(const QString &text)
    {
        DocumentWindowView *window = TarnApp::instance()->openDocument(text, QString());
        m_windows.push_back(window);
        if (!QTest::qWaitForWindowActive(window))
            qWarning("window did not become active");
        window->editor()->textView()->setFocus();
        return window;
    }

private Q_SLOTS:
    void cleanup()
    {
        for (const auto &window : std::as_const(m_windows)) {
            if (!window)
                continue;
            // Unsaved test documents are thrown away without a prompt.
            window->deleteLater();
        }
        m_windows.clear();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    void typingRaisesRevisionByOneWithoutResettingTheView()
    {
        DocumentWindowView *window = openWindow(QStringLiteral("# Title\n\nbody"));
        EditorTextView *view = window->editor()->textView();
        view->setSelectedRange({4, 0});
        const std::uint64_t start = window->document()->revision();
        QTest::keyClicks(view, QStringLiteral("abc"));
        QCOMPARE(window->document()->revision(), start + 3);
        QCOMPARE(window->document()->text(), QStringLiteral("# Tiabctle\n\nbody"));
        // A reset of the view would have cleared its undo history and moved the caret.
        QVERIFY(view->document()->isUndoAvailable());
        QCOMPARE(view->selectedRange(), (TextRange{7, 0}));
        QCOMPARE(window->editorStore()->selection, std::optional<TextRange>(TextRange{7, 0}));
        QVERIFY(window->isWindowModified());
    }

    void documentFollowsEveryKindOfEdit()
    {
        DocumentWindowView *window = openWindow(QStringLiteral("alpha\nbeta\u00a0gamma\n\ndelta"));
        EditorTextView *view = window->editor()->textView();
        // The text read back the slow way, straight from the component.
        const auto componentText = [view] {
            QString text = view->document()->toRawText();
            text.replace(QChar::ParagraphSeparator, u'\n');
            return text;
        };
        const auto check = [&](const char *step) {
            QCOMPARE(view->text(), componentText());
            QVERIFY2(window->document()->text() == componentText(), step);
        };
        view->setSelectedRange({5, 0});
        QTest::keyClicks(view, QStringLiteral("xy"));
        check("typing inside a line");
        QTest::keyClick(view, Qt::Key_Return);
        check("new line");
        QTest::keyClick(view, Qt::Key_Backspace);
        QTest::keyClick(view, Qt::Key_Backspace);
        check("backspace over a character and a line break");
        view->setSelectedRange({0, 12});
        view->insertPlainText(QStringLiteral("one\ntwo\nthree"));
        check("multi-line replacement");
        view->moveCursor(QTextCursor::End);
        QTest::keyClicks(view, QStringLiteral("!"));
        QTest::keyClick(view, Qt::Key_Return);
        check("typing at the end");
        view->undo();
        view->undo();
        check("undo");
        view->redo();
        check("redo");
        view->selectAll();
        QTest::keyClick(view, Qt::Key_Delete);
        check("everything deleted");
        QCOMPARE(window->document()->text(), QString());
        view->insertPlainText(QStringLiteral("\n\nend"));
        check("lines on an empty text");
        window->document()->setText(QStringLiteral("from\noutside"));
        check("external write");
    }

    void boldIsOneUndoStepNamedAfterTheAction()
    {
        DocumentWindowView *window = openWindow(QStringLiteral("say hello now"));
        EditorTextView *view = window->editor()->textView();
        view->setSelectedRange({4, 5});
        QTest::ignoreMessage(QtInfoMsg, "apply Bold");
        QTest::keyClick(view, Qt::Key_B, Qt::ControlModifier);
        QCOMPARE(window->document()->text(), QStringLiteral("say **hello** now"));
        QAction *undo = windowAction(window, "undoAction");
        QAction *redo = windowAction(window, "redoAction");
        QVERIFY(undo && redo);
        QCOMPARE(undo->text(), QStringLiteral("Undo Bold"));
        QVERIFY(undo->isEnabled());

        undo->trigger();
        QCOMPARE(window->document()->text(), QStringLiteral("say hello now"));
        QCOMPARE(view->text(), QStringLiteral("say hello now"));
        QCOMPARE(undo->text(), QStringLiteral("Undo"));
        QVERIFY(!undo->isEnabled());
        QCOMPARE(redo->text(), QStringLiteral("Redo Bold"));

        redo->trigger();
        QCOMPARE(window->document()->text(), QStringLiteral("say **hello** now"));
        QCOMPARE(undo->text(), QStringLiteral("Undo Bold"));

        // Typing after the formatting is a step of its own, and not named after it.
        view->setSelectedRange({0, 0});
        QTest::keyClicks(view, QStringLiteral("x"));
        QCOMPARE(undo->text(), QStringLiteral("Undo"));
        undo->trigger();
        QCOMPARE(undo->text(), QStringLiteral("Undo Bold"));
    }

    void applyWithoutTextViewWritesTheDocument()
    {
        MarkdownDocument document(QStringLiteral("plain"));
        EditorTextStore store;
        QTest::ignoreMessage(QtInfoMsg, "apply Italic");
        QTest::ignoreMessage(QtCriticalMsg, "apply: textView nil; falling back to binding write");
        // No recorded selection: the empty range at the start of the text.
        apply({&document, &store}, FormatAction{FormatAction::Kind::italic});
        QCOMPARE(document.revision(), std::uint64_t(1));
        const EditorTextEdit edit
            = formatEdit(FormatAction{FormatAction::Kind::italic}, QStringLiteral("plain"), {});
        QCOMPARE(document.text(), QStringLiteral("*italic*plain"));
        QCOMPARE(store.selection, std::optional<TextRange>(edit.selection));
    }

    void externalWriteReplacesTheViewAndRestoresTheSelection()
    {
        DocumentWindowView *window = openWindow(QStringLiteral("old text"));
        EditorTextView *view = window->editor()->textView();
        window->editorStore()->selection = TextRange{4, 3};
        window->document()->setText(QStringLiteral("new longer text"));
        QCOMPARE(view->text(), QStringLiteral("new longer text"));
        QCOMPARE(view->selectedRange(), (TextRange{4, 3}));
        // The view showing the document is not copied back as another revision.
        QCOMPARE(window->document()->revision(), std::uint64_t(1));
    }

    void storedAppearanceIsMatchedExactly_data()
    {
        QTest::addColumn<QVariant>("stored");
        QTest::addColumn<AppAppearance>("expected");
        QTest::newRow("dark") << QVariant(QStringLiteral("dark")) << AppAppearance::dark;
        QTest::newRow("light") << QVariant(QStringLiteral("light")) << AppAppearance::light;
        QTest::newRow("system") << QVariant(QStringLiteral("system")) << AppAppearance::system;
        QTest::newRow("missing") << QVariant() << AppAppearance::system;
        QTest::newRow("capitalised") << QVariant(QStringLiteral("Dark")) << AppAppearance::system;
        QTest::newRow("padded") << QVariant(QStringLiteral(" dark")) << AppAppearance::system;
        QTest::newRow("unknown") << QVariant(QStringLiteral("sepia")) << AppAppearance::system;
    }

    void storedAppearanceIsMatchedExactly()
    {
        QFETCH(QVariant, stored);
        QFETCH(AppAppearance, expected);
        QTemporaryDir directory;
        QSettings settings(directory.filePath(QStringLiteral("s.conf")), QSettings::IniFormat);
        if (stored.isValid())
            settings.setValue(QLatin1StringView(AppearanceState::settingsKey), stored);
        settings.sync();
        QSettings reread(directory.filePath(QStringLiteral("s.conf")), QSettings::IniFormat);
        QCOMPARE(AppearanceState::storedAppearance(reread), expected);
    }

    void storedSidebarVisibility_data()
    {
        QTest::addColumn<QVariant>("stored");
        QTest::addColumn<bool>("expected");
        QTest::newRow("false") << QVariant(false) << false;
        QTest::newRow("true") << QVariant(true) << true;
        QTest::newRow("missing") << QVariant() << true;
        QTest::newRow("not a Boolean") << QVariant(QStringLiteral("no")) << true;
        QTest::newRow("number") << QVariant(0) << true;
    }

    void storedSidebarVisibility()
    {
        QFETCH(QVariant, stored);
        QFETCH(bool, expected);
        QTemporaryDir directory;
        QSettings settings(directory.filePath(QStringLiteral("s.conf")), QSettings::IniFormat);
        if (stored.isValid())
            settings.setValue(QLatin1StringView(SidebarState::settingsKey), stored);
        settings.sync();
        QSettings reread(directory.filePath(QStringLiteral("s.conf")), QSettings::IniFormat);
        QCOMPARE(SidebarState::storedVisible(reread), expected);
    }

    void choosingAnAppearanceWritesItsRawString()
    {
        MenuCommands &commands = TarnApp::instance()->commands();
        const auto &actions = commands.appearanceActions();
        QCOMPARE(actions.size(), std::size_t(3));
        QCOMPARE(actions[0]->text(), QStringLiteral("System"));
        actions[2]->trigger();
        QCOMPARE(AppearanceState::instance().appearance(), AppAppearance::dark);
        QCOMPARE(QSettings().value(QStringLiteral("appAppearance")).toString(),
                 QStringLiteral("dark"));
        QVERIFY(actions[2]->isChecked());
        QVERIFY(AppearanceState::isDark());
        actions[1]->trigger();
        QVERIFY(!AppearanceState::isDark());
        actions[0]->trigger();
        QCOMPARE(QSettings().value(QStringLiteral("appAppearance")).toString(),
                 QStringLiteral("system"));
        QVERIFY(actions[0]->isChecked());
    }

    void sidebarToggleFollowsAndStoresTheState()
    {
        DocumentWindowView *first = openWindow(QStringLiteral("# A"));
        DocumentWindowView *second = openWindow(QStringLiteral("# B"));
        QAction *toggle = TarnApp::instance()->commands().sidebarToggleAction();
        SidebarState::instance().setVisible(true);
        const QList<int> widths = first->splitter()->sizes();
        QCOMPARE(toggle->text(), QStringLiteral("Hide Sidebar"));
        QVERIFY(first->sidebar()->isVisible());

        QTest::keyClick(second->editor()->textView(), Qt::Key_S,
                        Qt::ControlModifier | Qt::MetaModifier);
        QCOMPARE(toggle->text(), QStringLiteral("Show Sidebar"));
        QCOMPARE(QSettings().value(QStringLiteral("sidebarVisible")).toBool(), false);
        QVERIFY(!first->sidebar()->isVisible()); // every window follows
        QVERIFY(!second->sidebar()->isVisible());

        toggle->trigger();
        QCOMPARE(toggle->text(), QStringLiteral("Hide Sidebar"));
        QCOMPARE(QSettings().value(QStringLiteral("sidebarVisible")).toBool(), true);
        QVERIFY(first->sidebar()->isVisible());
        QCOMPARE(first->splitter()->sizes(), widths); // the columns come back as they were
    }

    void formatShortcuts_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
        QTest::addColumn<QString>("expected");
        const auto ctrlAlt = Qt::ControlModifier | Qt::AltModifier;
        QTest::newRow("Ctrl+Alt+3 heading 3") << int(Qt::Key_3) << ctrlAlt << "### line";
        QTest::newRow("Ctrl+K link")
            << int(Qt::Key_K) << Qt::KeyboardModifiers(Qt::ControlModifier) << "[line](url)";
        QTest::newRow("Ctrl+Alt+K code block") << int(Qt::Key_K) << ctrlAlt << "```\nline\n```";
        QTest::newRow("Ctrl+Shift+L task list")
            << int(Qt::Key_L) << (Qt::ControlModifier | Qt::ShiftModifier) << "- [ ] line";
    }

    void formatShortcuts()
    {
        QFETCH(int, key);
        QFETCH(Qt::KeyboardModifiers, modifiers);
        QFETCH(QString, expected);
        DocumentWindowView *window = openWindow(QStringLiteral("line"));
        EditorTextView *view = window->editor()->textView();
        view->setSelectedRange({0, 4});
        QTest::ignoreMessage(QtInfoMsg, QRegularExpression(QStringLiteral("^apply ")));
        QTest::keyClick(view, Qt::Key(key), modifiers);
        QCOMPARE(window->document()->text(), expected);
    }

    void documentCommandsNeedAFocusedDocumentWindow()
    {
        MenuCommands &commands = TarnApp::instance()->commands();
        QTest::ignoreMessage(QtCriticalMsg, "Attribution.txt not found in bundle");
        TarnApp::instance()->showAbout();
        QWidget *about = topLevel(QStringLiteral("aboutDialog"));
        QVERIFY(about);
        QVERIFY(QTest::qWaitForWindowActive(about));
        commands.updateStates();
        for (const auto &item : commands.formatItems())
            QVERIFY2(!item.menuAction->isEnabled(), qPrintable(item.menuAction->text()));
        QVERIFY(!commands.exportHTMLAction()->isEnabled());
        QVERIFY(!commands.exportPDFAction()->isEnabled());
        for (const QAction *find : commands.findActions())
            QVERIFY(find->isEnabled());
        QVERIFY(commands.sidebarToggleAction()->isEnabled());
        for (const QAction *appearance : commands.appearanceActions())
            QVERIFY(appearance->isEnabled());
        // Without the acknowledgments file the credits are empty.
        const auto *credits = about->findChild<QLabel *>(QStringLiteral("credits"));
        QVERIFY(credits);
        QVERIFY(credits->text().isEmpty());
        about->close();

        openWindow(QStringLiteral("text"));
        QVERIFY(commands.formatAction(FormatAction{FormatAction::Kind::bold})->isEnabled());
        QVERIFY(commands.exportHTMLAction()->isEnabled());
    }

    void choosingAHeadingMovesTheCaretAndScrollsThePreview()
    {
        DocumentWindowView *window
            = openWindow(QStringLiteral("intro\n# One\ntext\n### Three\nmore\n"));
        QListWidget *list = window->sidebar()->listWidget();
        QCOMPARE(list->count(), 2);
        QCOMPARE(list->item(1)->text(), QStringLiteral("Three"));
        QVERIFY(list->item(0)->font().weight() > list->item(1)->font().weight());
        QSignalSpy scroll(window->outline(), &DocumentOutlineModel::scrollToSection);
        QCoreApplication::processEvents(); // scroll requests from opening the window
        scroll.clear();
        const QRect row = list->visualItemRect(list->item(1));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, row.center());
        const qsizetype headingStart = 17;
        QCOMPARE(window->editor()->textView()->selectedRange(), (TextRange{headingStart, 0}));
        QCOMPARE(window->editorStore()->selection, std::optional<TextRange>({headingStart, 0}));
        QVERIFY(!scroll.isEmpty());
        QCOMPARE(scroll.first().at(0).value<qsizetype>(), qsizetype(2));
        // Rows are never shown as selected.
        QVERIFY(list->selectedItems().isEmpty());
    }

    void documentWithoutHeadingsShowsThePlaceholder()
    {
        DocumentWindowView *window = openWindow(QStringLiteral("no headings here"));
        const auto *placeholder
            = window->sidebar()->findChild<QLabel *>(QStringLiteral("noHeadingsLabel"));
        QVERIFY(placeholder);
        QCOMPARE(placeholder->text(), QStringLiteral("No headings"));
        QVERIFY(placeholder->isVisible());
        QVERIFY(!window->sidebar()->listWidget()->isVisible());
    }

    void caretMovesAskThePreviewToScroll()
    {
        DocumentWindowView *window = openWindow(QStringLiteral("pre\n# A\na\n# B\nb word\n"));
        EditorTextView *view = window->editor()->textView();
        QSignalSpy scroll(window->outline(), &DocumentOutlineModel::scrollToSection);
        QCoreApplication::processEvents();
        scroll.clear();
        view->setSelectedRange({16, 0}); // in "b word", the third section
        QVERIFY(scroll.isEmpty());       // posted, not sent at once
        QTRY_COMPARE(scroll.size(), 1);
        QCOMPARE(scroll.first().at(0).value<qsizetype>(), qsizetype(2));
        scroll.clear();
        view->setSelectedRange({16, 4}); // a selection does not scroll
        QCoreApplication::processEvents();
        QVERIFY(scroll.isEmpty());
    }

    void findBarFindsReplacesAndUsesTheSelection()
    {
        DocumentWindowView *window = openWindow(QStringLiteral("one two one two"));
        EditorTextView *view = window->editor()->textView();
        auto *field = window->editor()->findChild<QLineEdit *>(QStringLiteral("findField"));
        QVERIFY(field);
        QTest::keyClick(view, Qt::Key_F, Qt::ControlModifier);
        QVERIFY(field->isVisible());
        QTest::keyClicks(field, QStringLiteral("two"));
        QCOMPARE(view->selectedRange(), (TextRange{4, 3})); // found while typing
        QTest::keyClick(field, Qt::Key_G, Qt::ControlModifier);
        QCOMPARE(view->selectedRange(), (TextRange{12, 3}));
        QTest::keyClick(field, Qt::Key_G, Qt::ControlModifier);
        QCOMPARE(view->selectedRange(), (TextRange{4, 3})); // wrapped around
        QTest::keyClick(field, Qt::Key_G, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(view->selectedRange(), (TextRange{12, 3}));

        view->setFocus();
        view->setSelectedRange({0, 3});
        QTest::keyClick(view, Qt::Key_E, Qt::ControlModifier);
        QCOMPARE(field->text(), QStringLiteral("one"));

        QTest::keyClick(view, Qt::Key_F, Qt::ControlModifier | Qt::AltModifier);
        auto *replaceField
            = window->editor()->findChild<QLineEdit *>(QStringLiteral("replaceField"));
        QVERIFY(replaceField && replaceField->isVisible());
        replaceField->setText(QStringLiteral("1"));
        QTest::keyClick(replaceField, Qt::Key_Return);
        QCOMPARE(window->document()->text(), QStringLiteral("1 two one two"));
    }

    void savingWritesTheFileAndClearsTheDirtyMark()
    {
        QTemporaryDir directory;
        const QString path = directory.filePath(QStringLiteral("note.md"));
        DocumentWindowView *window = openWindow(QString());
        // Typed text beyond ASCII, as an input method would commit it.
        window->editor()->textView()->insertPlainText(QStringLiteral("caf\u00e9\u00a0ok"));
        QVERIFY(window->isDirty());
        QVERIFY(window->writeTo(path));
        QVERIFY(!window->isDirty());
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        // UTF-8 without a byte-order mark; the no-break space survives.
        QCOMPARE(file.readAll(), QByteArray("caf\xc3\xa9\xc2\xa0ok"));
    }

    void failedSaveLeavesTheFileAlone()
    {
        QTemporaryDir directory;
        DocumentWindowView *window = openWindow(QStringLiteral("changed"));
        window->document()->setText(QStringLiteral("changed again"));

        // A folder where the file should be: nothing can be written, and nothing is harmed.
        const QString folder = directory.filePath(QStringLiteral("taken.md"));
        QVERIFY(QDir().mkdir(folder));
        closeNextModalDialog(this);
        QVERIFY(!window->writeTo(folder));
        QVERIFY(QFileInfo(folder).isDir());
        QVERIFY(window->isDirty());

        // A read-only folder: the temporary file cannot be made, the old file stays as it was.
        const QString path = directory.filePath(QStringLiteral("note.md"));
        {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("original");
        }
        QFile::setPermissions(directory.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        const bool permissionsHold
            = !QFileInfo(directory.path()).isWritable()
              && !QFile(directory.filePath(QStringLiteral("probe"))).open(QIODevice::WriteOnly);
        if (permissionsHold) {
            closeNextModalDialog(this);
            QVERIFY(!window->writeTo(path));
        }
        QFile::setPermissions(directory.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner
                                                    | QFileDevice::ExeOwner);
        QVERIFY(window->isDirty());
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("original"));
    }

    void readErrorsAreShownAndOpenNoWindow_data()
    {
        QTest::addColumn<QByteArray>("contents"); // empty: a folder instead of a file
        QTest::addColumn<QString>("message");
        QTest::newRow("folder") << QByteArray() << "isn\u2019t in the correct format";
        QTest::newRow("undecodable") << QByteArray("\xff\xfe\x00\xd8 odd", 7)
                                     << "text encoding of its contents can\u2019t be determined";
    }

    void readErrorsAreShownAndOpenNoWindow()
    {
        QFETCH(QByteArray, contents);
        QFETCH(QString, message);
        QTemporaryDir directory;
        const QString path = directory.filePath(QStringLiteral("bad.md"));
        if (contents.isEmpty()) {
            QVERIFY(QDir().mkdir(path));
        } else {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(contents);
        }
        const qsizetype windowsBefore = TarnApp::instance()->windows().size();
        QString shown;
        QTimer::singleShot(0, this, [&shown] {
            if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
                shown = box->text();
                box->close();
            }
        });
        QCOMPARE(TarnApp::instance()->openFile(path), nullptr);
        QVERIFY2(shown.contains(message), qPrintable(shown));
        QVERIFY(shown.contains(QStringLiteral("bad.md")));
        QCOMPARE(TarnApp::instance()->windows().size(), windowsBefore);
    }

private:
    QList<QPointer<DocumentWindowView>> m_windows;
};

int main(int argc, char *argv[])
{
    // Settings go to a private folder, never the user's.
    QTemporaryDir configHome;
    qputenv("XDG_CONFIG_HOME", configHome.path().toUtf8());
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    TarnApp app;
    TarnWidgetsTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "TarnWidgetsTest.moc"
