// The About box: its texts and layout in pixels, and the ways it closes.
#include "aboutdialog.h"
#include "app.h"
#include "frame.h"
#include "resources.h"

#include <QApplication>
#include <QDialog>
#include <QFontInfo>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

namespace {

// Runs `check` on the modal dialog once it is up; it must close it.
void WhileModal(std::function<void(QDialog*)> check)
{
    QTimer::singleShot(0, [check] {
        QDialog* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr) {
            ADD_FAILURE() << "no modal dialog";
            return;
        }
        EXPECT_TRUE(QTest::qWaitForWindowActive(dialog));
        QPointer<QDialog> self(dialog);
        check(dialog);
        // A check that failed before closing it: closed here, so the test goes on.
        QTimer::singleShot(0, [self] {
            if (self && self->isVisible())
                self->done(-2);
        });
    });
}

QList<QLabel*> Labels(QDialog* dialog)
{
    return dialog->findChildren<QLabel*>(QString(), Qt::FindDirectChildrenOnly);
}

TEST(AboutBox, TextsAndAccessibleNames)
{
    WhileModal([](QDialog* dialog) {
        EXPECT_EQ(dialog->windowTitle(), QStringLiteral("RUVOKのﾊﾞｰｼﾞｮﾝ情報"));
        EXPECT_EQ(dialog->accessibleName(), dialog->windowTitle());
        const QList<QLabel*> labels = Labels(dialog);
        ASSERT_EQ(labels.size(), 3);
        EXPECT_FALSE(labels[0]->pixmap().isNull());
        EXPECT_EQ(labels[1]->text(), QStringLiteral("JIS, EUC, Shift-JIS ﾌｧｲﾙ表示 Version 1.0"));
        EXPECT_EQ(labels[2]->text(), QStringLiteral("Copyright (C) 2026 ruvok"));
        for (QLabel* label : labels)
            EXPECT_FALSE(label->accessibleName().isEmpty()) << label->text().toStdString();
        EXPECT_EQ(labels[1]->accessibleName(), labels[1]->text());
        const QList<QPushButton*> buttons = dialog->findChildren<QPushButton*>();
        ASSERT_EQ(buttons.size(), 1);
        EXPECT_EQ(buttons[0]->text(), QStringLiteral("OK"));
        EXPECT_EQ(buttons[0]->accessibleName(), QStringLiteral("OK"));
        EXPECT_TRUE(buttons[0]->isDefault());
        EXPECT_EQ(QApplication::focusWidget(), buttons[0]) << "the only tab stop";
    });
    // Through the application's command, as the Help menu sends it.
    EXPECT_TRUE(AfxGetApp()->OnCmdMsg(ID_APP_ABOUT, CN_COMMAND, nullptr));
}

TEST(AboutBox, LayoutInPixelsFromTheDialogFont)
{
    WhileModal([](QDialog* dialog) {
        EXPECT_EQ(QFontInfo(dialog->font()).family(), QStringLiteral("IPAPGothic"));
        EXPECT_EQ(dialog->font().pixelSize(), 12) << "9 points at 96 pixels an inch";
        const AfxDialogBaseUnits u = AfxGetDialogBaseUnits(dialog->font());
        auto px = [&u](int x, int y, int cx, int cy) {
            RECT r = AfxMapDialogRect(u, x, y, cx, cy);
            return QRect(r.left, r.top, r.right - r.left, r.bottom - r.top);
        };
        EXPECT_EQ(dialog->size(), px(0, 0, 235, 55).size());
        const QList<QLabel*> labels = Labels(dialog);
        ASSERT_EQ(labels.size(), 3);
        // The icon at its own size, crisp: 32 by 32, not scaled into 20x20 units.
        EXPECT_EQ(labels[0]->geometry(), QRect(px(11, 17, 20, 20).topLeft(), QSize(32, 32)));
        EXPECT_EQ(labels[0]->pixmap().size(), QSize(32, 32));
        EXPECT_EQ(labels[1]->geometry(), px(40, 10, 132, 8));
        EXPECT_EQ(labels[2]->geometry(), px(40, 25, 119, 8));
        EXPECT_EQ(dialog->findChildren<QPushButton*>().value(0)->geometry(), px(178, 7, 50, 14));
        // Nothing cut off: each text fits its control, and nothing leaves the box.
        for (QLabel* label : labels.mid(1)) {
            const QFontMetrics fm(label->font());
            EXPECT_LE(fm.horizontalAdvance(label->text()), label->width()) << label->text().toStdString();
            EXPECT_LE(fm.height(), label->height()) << label->text().toStdString();
        }
        for (QWidget* child : dialog->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
            EXPECT_TRUE(dialog->rect().contains(child->geometry())) << child->metaObject()->className();
    });
    EXPECT_TRUE(AfxGetApp()->OnCmdMsg(ID_APP_ABOUT, CN_COMMAND, nullptr));
}

TEST(AboutBox, OkEnterEscAndTheCloseButtonCloseIt)
{
    struct Row {
        const char* how;
        std::function<void(QDialog*)> act;
        int result;
    };
    const Row rows[] = {
        {"OK clicked",
         [](QDialog* d) { QTest::mouseClick(d->findChildren<QPushButton*>().value(0), Qt::LeftButton); },
         IDOK},
        {"Enter", [](QDialog* d) { QTest::keyClick(d, Qt::Key_Return); }, IDOK},
        {"Esc", [](QDialog* d) { QTest::keyClick(d, Qt::Key_Escape); }, IDCANCEL},
        {"caption's close button", [](QDialog* d) { d->close(); }, IDCANCEL},
    };
    for (const Row& row : rows) {
        WhileModal(row.act);
        CAboutDialog dlg;
        EXPECT_EQ(dlg.DoModal(), row.result) << row.how;
        EXPECT_EQ(dlg.GetWidget(), nullptr) << row.how << ": the window is gone";
    }
}

TEST(AboutBox, OwnedByTheMainWindowAndModal)
{
    WhileModal([](QDialog* dialog) {
        EXPECT_EQ(dialog->parentWidget(), AfxGetMainWnd()->GetWidget());
        EXPECT_TRUE(dialog->isModal());
        EXPECT_FALSE(dialog->windowFlags() & Qt::WindowMaximizeButtonHint);
        EXPECT_TRUE(dialog->windowFlags() & Qt::WindowCloseButtonHint) << "it has a system menu";
        QTest::keyClick(dialog, Qt::Key_Escape);
    });
    CAboutDialog dlg;
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);
}

// Every modal template of the resources, laid out from its own font: the box
// and each control where its dialog units say, every text fitting its control,
// every control named for a screen reader, and Esc closing it.
TEST(Dialog, ModalTemplatesLaidOutFromTheirFonts)
{
    for (UINT nID : {IDD_ABOUTBOX, 30721u, 30722u}) {
        AfxDialogTemplate tmpl;
        ASSERT_TRUE(AfxLoadDialogTemplate(nID, tmpl));
        const QFont font = AfxCreateDialogFont(tmpl.faceName, tmpl.wPointSize);
        const AfxDialogBaseUnits u = AfxGetDialogBaseUnits(font);
        auto px = [&u](int x, int y, int cx, int cy) {
            RECT r = AfxMapDialogRect(u, x, y, cx, cy);
            return QRect(r.left, r.top, r.right - r.left, r.bottom - r.top);
        };
        WhileModal([&](QDialog* dialog) {
            const std::string where = "dialog " + std::to_string(nID);
            EXPECT_EQ(dialog->windowTitle().toStdString(), tmpl.caption) << where;
            EXPECT_EQ(dialog->size(), px(0, 0, tmpl.cx, tmpl.cy).size()) << where;
            EXPECT_EQ(bool(dialog->windowFlags() & Qt::WindowCloseButtonHint),
                      (tmpl.style & WS_SYSMENU) != 0)
                << where << ": a close button only with a system menu";
            const QList<QWidget*> controls =
                dialog->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly);
            ASSERT_EQ(controls.size(), static_cast<qsizetype>(tmpl.items.size())) << where;
            for (size_t i = 0; i < tmpl.items.size(); ++i) {
                const AfxDlgItemTemplate& item = tmpl.items[i];
                QWidget* control = controls[static_cast<qsizetype>(i)];
                const std::string which = where + " control " + std::to_string(i + 1);
                const QRect want = px(item.x, item.y, item.cx, item.cy);
                if ((item.style & SS_TYPEMASK) == SS_ICON && item.className == "Static") {
                    EXPECT_EQ(control->pos(), want.topLeft()) << which;
                } else {
                    EXPECT_EQ(control->geometry(), want) << which;
                }
                EXPECT_TRUE(dialog->rect().contains(control->geometry())) << which;
                if (!item.text.empty()) {
                    EXPECT_FALSE(control->accessibleName().isEmpty()) << which;
                    EXPECT_FALSE(control->accessibleName().contains(QLatin1Char('&'))) << which;
                }
                if (item.className == "ListBox") {
                    EXPECT_EQ(control->accessibleName(), QStringLiteral("新規(N) ")) << which;
                }
                // The text fits: a label's within its box, a button's with
                // room for the button's frame.
                if (auto* label = qobject_cast<QLabel*>(control)) {
                    if (!label->text().isEmpty()) {
                        EXPECT_LE(label->sizeHint().width(), label->width()) << which;
                        EXPECT_LE(QFontMetrics(label->font()).height(), label->height()) << which;
                    }
                } else if (auto* button = qobject_cast<QPushButton*>(control)) {
                    const QFontMetrics fm(button->font());
                    QString shown = button->text();
                    shown.remove(QLatin1Char('&'));
                    EXPECT_LE(fm.horizontalAdvance(shown) + 4, button->width()) << which;
                    EXPECT_LE(fm.height(), button->height()) << which;
                }
            }
            QTest::keyClick(dialog, Qt::Key_Escape);
        });
        CDialog dlg(nID);
        EXPECT_EQ(dlg.DoModal(), IDCANCEL) << nID;
    }
}

TEST(Dialog, MissingTemplateFailsWithoutAWindow)
{
    CDialog dlg(0x1234);
    EXPECT_EQ(dlg.DoModal(), -1);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

}  // namespace
