#include "controls/Panel.h"

#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

using namespace velmoa;

TEST(Panel, APressReachesOnlyThePanelUnderThePointer) {
    struct Row {
        const char* where;
        Qt::MouseButton button;
        bool onInner;
    };
    const Row rows[] = {
        {"inner, left", Qt::LeftButton, true},
        {"inner, right", Qt::RightButton, true},
        {"outer, left", Qt::LeftButton, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.where);
        Panel outer(nullptr, QStringLiteral("outer"));
        outer.resize(200, 200);
        auto* inner = new Panel(&outer, QStringLiteral("inner"));
        inner->setGeometry(50, 50, 100, 100);
        outer.show();
        QSignalSpy outerPresses(&outer, &Panel::mousePressed);
        QSignalSpy innerPresses(inner, &Panel::mousePressed);

        QTest::mousePress(row.onInner ? static_cast<QWidget*>(inner) : &outer, row.button, Qt::NoModifier,
                          QPoint(10, 10));
        EXPECT_EQ(innerPresses.count(), row.onInner ? 1 : 0);
        EXPECT_EQ(outerPresses.count(), row.onInner ? 0 : 1);
        const QSignalSpy& pressed = row.onInner ? innerPresses : outerPresses;
        ASSERT_EQ(pressed.count(), 1);
        EXPECT_EQ(pressed.first().first().value<Qt::MouseButton>(), row.button);
    }
}
