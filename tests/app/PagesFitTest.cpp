// The four pages in the program's first window as an operator meets them: every caption can be
// read whole, every control that works is in view and large enough to use, a smaller window
// scrolls to every control, and every control has a name of its own and its place in the tab
// chain. Run once as is and once with QT_SCALE_FACTOR=1.5 (a 150 % desktop).

#include "AppTestSupport.h"

#include "app/CChildView.h"
#include "app/CMainFrame.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSet>
#include <QStyle>
#include <QStyleOptionGroupBox>
#include <QTabWidget>
#include <QtTest>
#include <memory>

namespace {

constexpr QSize kFirstWindow(1100, 760);

std::unique_ptr<CMainFrame> ShownFrame(QSize size) {
    auto frame = std::make_unique<CMainFrame>();
    if (!frame->Create())
        return nullptr;
    frame->resize(size);
    frame->show();
    if (!QTest::qWaitForWindowExposed(frame.get()))
        return nullptr;
    return frame;
}

QWidget* ShowPage(CMainFrame& frame, int page) {
    frame.View()->Tabs()->setCurrentIndex(page);
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    return frame.View()->PageWidget(static_cast<CChildView::Page>(page));
}

QString PageName(int page) {
    return QStringList{"NMEA Monitor", "Front Panel Status", "Factory Test",
                       "Tracker Configuration"}
        .at(page);
}

// The controls an operator works with: the page's own children.
QList<QWidget*> Controls(QWidget* page) {
    QList<QWidget*> controls;
    for (QWidget* child : page->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (!child->isWindow() && child->isVisibleTo(page))
            controls.append(child);
    }
    return controls;
}

QString Describe(const QWidget* w) {
    QString caption;
    if (auto* b = qobject_cast<const QAbstractButton*>(w))
        caption = b->text();
    else if (auto* l = qobject_cast<const QLabel*>(w))
        caption = l->text();
    else if (auto* g = qobject_cast<const QGroupBox*>(w))
        caption = g->title();
    return QStringLiteral("%1 \"%2\" (%3)")
        .arg(QLatin1String(w->metaObject()->className()), caption, w->objectName());
}

// Width the caption and what the style draws beside it take, and the width the control has.
// 0, 0 for a control without a caption.
std::pair<int, int> CaptionNeed(const QWidget* w) {
    const QFontMetrics fm(w->font());
    QStyle* style = w->style();
    if (auto* box = qobject_cast<const QCheckBox*>(w)) {
        if (box->text().isEmpty())
            return {0, 0};
        return {style->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, w) +
                    style->pixelMetric(QStyle::PM_CheckBoxLabelSpacing, nullptr, w) +
                    fm.horizontalAdvance(box->text()),
                w->width()};
    }
    if (auto* radio = qobject_cast<const QRadioButton*>(w)) {
        return {style->pixelMetric(QStyle::PM_ExclusiveIndicatorWidth, nullptr, w) +
                    style->pixelMetric(QStyle::PM_RadioButtonLabelSpacing, nullptr, w) +
                    fm.horizontalAdvance(radio->text()),
                w->width()};
    }
    if (auto* button = qobject_cast<const QPushButton*>(w)) {
        if (button->text().isEmpty())
            return {0, 0};
        // The text inside the button's frame on both sides.
        return {fm.horizontalAdvance(button->text()) +
                    2 * style->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, w),
                w->width()};
    }
    if (auto* label = qobject_cast<const QLabel*>(w)) {
        if (label->text().isEmpty())
            return {0, 0};
        return {fm.horizontalAdvance(label->text()), label->contentsRect().width()};
    }
    if (auto* group = qobject_cast<const QGroupBox*>(w)) {
        QStyleOptionGroupBox option;
        option.initFrom(group);
        option.text = group->title();
        option.lineWidth = 1;
        option.subControls = QStyle::SC_GroupBoxFrame | QStyle::SC_GroupBoxLabel;
        const QRect label =
            style->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, group);
        // The title starts where the style puts it and must end inside the box.
        return {label.left() + fm.horizontalAdvance(group->title()), group->width()};
    }
    return {0, 0};
}

bool Focusable(const QWidget* w) {
    return (w->focusPolicy() & Qt::TabFocus) != 0;
}

QString AccessibleName(QWidget* w) {
    QAccessibleInterface* a = QAccessible::queryAccessibleInterface(w);
    return a ? a->text(QAccessible::Name) : QString();
}

// The innermost group box of the page that holds the control (nullptr: none).
const QWidget* GroupOf(const QWidget* control, const QList<QWidget*>& controls) {
    const QWidget* best = nullptr;
    for (const QWidget* w : controls) {
        if (w == control || !qobject_cast<const QGroupBox*>(w))
            continue;
        if (w->geometry().contains(control->geometry().center()) &&
            (!best || best->geometry().contains(w->geometry())))
            best = w;
    }
    return best;
}

bool Overlap(int a0, int a1, int b0, int b1) {
    return a0 <= b1 && b0 <= a1;
}

} // namespace

class PagesFitTest : public QObject {
    Q_OBJECT

private slots:
    void init() { ClearProfile(); }

    void pages_data() {
        QTest::addColumn<int>("page");
        for (int page = 0; page < 4; ++page)
            QTest::newRow(qPrintable(PageName(page))) << page;
    }

    void everyCaptionFitsItsControl_data() { pages_data(); }
    void everyCaptionFitsItsControl() {
        QFETCH(int, page);
        auto frame = ShownFrame(kFirstWindow);
        QVERIFY(frame);
        QWidget* shown = ShowPage(*frame, page);
        int captions = 0;
        for (QWidget* control : Controls(shown)) {
            const auto [need, room] = CaptionNeed(control);
            if (need == 0)
                continue;
            ++captions;
            QVERIFY2(need <= room, qPrintable(QStringLiteral("%1 needs %2 px, has %3")
                                                  .arg(Describe(control))
                                                  .arg(need)
                                                  .arg(room)));
        }
        // The template pages are all captions; the monitor has its buttons.
        if (page != CChildView::FrontPanelPage)
            QVERIFY(captions > 0);
    }

    // At the first window's size, no control that works lies outside the page's area or is
    // squeezed to a sliver.
    void everyWorkingControlIsInViewAtTheFirstSize_data() { pages_data(); }
    void everyWorkingControlIsInViewAtTheFirstSize() {
        QFETCH(int, page);
        auto frame = ShownFrame(kFirstWindow);
        QVERIFY(frame);
        QWidget* shown = ShowPage(*frame, page);
        QWidget* tab = frame->View()->Tabs()->currentWidget();
        if (auto* area = qobject_cast<QScrollArea*>(tab)) {
            tab = area->viewport();
            // Nothing to scroll: the whole page is in view.
            QCOMPARE(area->verticalScrollBar()->maximum(), 0);
            QCOMPARE(area->horizontalScrollBar()->maximum(), 0);
        }
        for (QWidget* control : Controls(shown)) {
            if (!control->isEnabled() || qobject_cast<QGroupBox*>(control) ||
                qobject_cast<QLabel*>(control))
                continue;
            const QRect r(control->mapTo(tab, QPoint(0, 0)), control->size());
            QVERIFY2(tab->rect().contains(r),
                     qPrintable(QStringLiteral("%1 at %2,%3 %4x%5 outside %6x%7")
                                    .arg(Describe(control))
                                    .arg(r.x())
                                    .arg(r.y())
                                    .arg(r.width())
                                    .arg(r.height())
                                    .arg(tab->width())
                                    .arg(tab->height())));
            // At least one line of its text high, and as wide as high.
            const int line = QFontMetrics(control->font()).height();
            QVERIFY2(r.height() >= line && r.width() >= line,
                     qPrintable(QStringLiteral("%1 is %2x%3, a line is %4")
                                    .arg(Describe(control))
                                    .arg(r.width())
                                    .arg(r.height())
                                    .arg(line)));
        }
    }

    // The factory test page is shown straight at its tab's size: its controls spread over the
    // whole tab, not only the template's corner of it.
    void factoryTestFillsItsTab() {
        auto frame = ShownFrame(kFirstWindow);
        QVERIFY(frame);
        QWidget* shown = ShowPage(*frame, CChildView::FactoryTestPage);
        auto* area = qobject_cast<QScrollArea*>(frame->View()->Tabs()->currentWidget());
        QVERIFY(area);
        QCOMPARE(shown->size(), area->viewport()->size());
        QVERIFY(shown->width() > shown->minimumSizeHint().width());
        QRect used;
        for (QWidget* control : Controls(shown))
            used |= control->geometry();
        // The template's controls end 5 of its 306 units from the right, 3 of 292 from the bottom.
        QVERIFY2(used.right() > shown->width() * 9 / 10 && used.bottom() > shown->height() * 9 / 10,
                 qPrintable(QStringLiteral("controls end at %1,%2 in %3x%4")
                                .arg(used.right())
                                .arg(used.bottom())
                                .arg(shown->width())
                                .arg(shown->height())));
    }

    // In a window smaller than the template pages, they keep their size and scroll, and every
    // control can be brought into view.
    void aSmallWindowScrollsToEveryControl_data() {
        QTest::addColumn<int>("page");
        QTest::newRow("Factory Test") << int(CChildView::FactoryTestPage);
        QTest::newRow("Tracker Configuration") << int(CChildView::TrackerConfigurationPage);
    }
    void aSmallWindowScrollsToEveryControl() {
        QFETCH(int, page);
        auto frame = ShownFrame(QSize(640, 480));
        QVERIFY(frame);
        QWidget* shown = ShowPage(*frame, page);
        auto* area = qobject_cast<QScrollArea*>(frame->View()->Tabs()->currentWidget());
        QVERIFY(area);
        const QSize least = shown->minimumSizeHint();
        QVERIFY(shown->width() >= least.width() && shown->height() >= least.height());
        QCOMPARE(area->verticalScrollBar()->maximum() > 0,
                 least.height() > area->viewport()->height());
        QCOMPARE(area->horizontalScrollBar()->maximum() > 0,
                 least.width() > area->viewport()->width());
        QVERIFY(area->verticalScrollBar()->maximum() > 0 ||
                area->horizontalScrollBar()->maximum() > 0);
        for (QWidget* control : Controls(shown)) {
            if (qobject_cast<QGroupBox*>(control))
                continue;
            // The whole control, as the scroll bars can show it (the area's own
            // ensureWidgetVisible would settle for a line edit's text cursor).
            const QRect where = control->geometry();
            area->ensureVisible(where.center().x(), where.center().y(), where.width() / 2 + 1,
                                where.height() / 2 + 1);
            QCoreApplication::processEvents();
            const QRect r(control->mapTo(area->viewport(), QPoint(0, 0)), control->size());
            const QRect view = area->viewport()->rect();
            // A control larger than the view (the parameter box) fills the view.
            const QRect seen = r & view;
            QVERIFY2(seen.width() == std::min(r.width(), view.width()) &&
                         seen.height() == std::min(r.height(), view.height()),
                     qPrintable(QStringLiteral("%1 at %2,%3 %4x%5 in %6x%7")
                                    .arg(Describe(control))
                                    .arg(r.x())
                                    .arg(r.y())
                                    .arg(r.width())
                                    .arg(r.height())
                                    .arg(view.width())
                                    .arg(view.height())));
        }
    }

    // Tabbing through a page in a small window scrolls each control it reaches into view.
    void tabbingInASmallWindowShowsEachControl_data() { aSmallWindowScrollsToEveryControl_data(); }
    void tabbingInASmallWindowShowsEachControl() {
        QFETCH(int, page);
        auto frame = ShownFrame(QSize(640, 480));
        QVERIFY(frame);
        frame->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(frame.get()));
        QWidget* shown = ShowPage(*frame, page);
        auto* area = qobject_cast<QScrollArea*>(frame->View()->Tabs()->currentWidget());
        QVERIFY(area);
        QList<QWidget*> focusable;
        for (QWidget* control : Controls(shown)) {
            if (Focusable(control) && control->isEnabled())
                focusable.append(control);
        }
        QVERIFY(!focusable.isEmpty());
        focusable.front()->setFocus(Qt::TabFocusReason);
        QSet<QWidget*> reached;
        for (qsizetype i = 0; i < focusable.size(); ++i) {
            QWidget* focus = QApplication::focusWidget();
            QVERIFY(focus);
            while (focus && !focusable.contains(focus))
                focus = focus->parentWidget();
            if (!focus)
                break; // the chain left the page
            reached.insert(focus);
            const QRect r(focus->mapTo(area->viewport(), QPoint(0, 0)), focus->size());
            QVERIFY2(r.intersects(area->viewport()->rect()), qPrintable(Describe(focus)));
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        }
        // Tab went beyond the first few controls, into the part that was out of view.
        QVERIFY(reached.size() > 3);
    }

    // Each control that takes the focus has a name of its own on its page, and Tab visits them
    // all, each above the next in a column and to its left in a row.
    void namesAreUniqueAndTabFollowsTheLayout_data() { pages_data(); }
    void namesAreUniqueAndTabFollowsTheLayout() {
        QFETCH(int, page);
        auto frame = ShownFrame(kFirstWindow);
        QVERIFY(frame);
        QWidget* shown = ShowPage(*frame, page);
        const QList<QWidget*> controls = Controls(shown);
        QList<QWidget*> focusable;
        QSet<QString> names;
        for (QWidget* control : controls) {
            if (!Focusable(control))
                continue;
            focusable.append(control);
            const QString name = AccessibleName(control);
            QVERIFY2(!name.isEmpty(), qPrintable(Describe(control)));
            QVERIFY2(!names.contains(name),
                     qPrintable(QStringLiteral("%1 repeats \"%2\"").arg(Describe(control), name)));
            names.insert(name);
        }
        if (focusable.isEmpty())
            return;

        // The chain from the page's first control (its first child that takes the focus) round
        // to it again.
        QList<QWidget*> chain;
        QWidget* w = focusable.front();
        do {
            if (focusable.contains(w) && !chain.contains(w))
                chain.append(w);
            w = w->nextInFocusChain();
        } while (w && w != focusable.front());
        QCOMPARE(chain.size(), focusable.size());

        for (qsizetype i = 0; i < chain.size(); ++i) {
            for (qsizetype j = i + 1; j < chain.size(); ++j) {
                const QRect a = chain[i]->geometry(), b = chain[j]->geometry();
                const bool sameColumn = Overlap(a.left(), a.right(), b.left(), b.right());
                const bool sameRow = Overlap(a.top(), a.bottom(), b.top(), b.bottom());
                const QString order = QStringLiteral("%1 comes before %2")
                                          .arg(Describe(chain[i]), Describe(chain[j]));
                if (sameColumn && !sameRow)
                    QVERIFY2(a.top() < b.top(), qPrintable(order));
                if (sameRow && !sameColumn &&
                    GroupOf(chain[i], controls) == GroupOf(chain[j], controls))
                    QVERIFY2(a.left() < b.left(), qPrintable(order));
            }
        }
    }
};

TB_REGISTER_TEST(PagesFitTest);

#include "PagesFitTest.moc"
