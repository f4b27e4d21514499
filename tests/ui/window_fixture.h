// The real window on scripted services, driven as the operator drives it: by object name,
// mouse clicks on what is shown and keys typed into what has the focus.
#pragma once

#include "support/fake_services.h"
#include "support/gui_testing.h"
#include "ui/main_window.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

namespace pds::testing {

class Window {
public:
    explicit Window(Services& services) : window(std::make_unique<ui::MainWindow>(services)) {
        window->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        window->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(window.get()));
    }

    template <typename T = QWidget> T* named(const char* name) const {
        auto* widget = window->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }

    // One element of a control array such as L1A 1..20 or map3 0..6.
    template <typename T = QWidget> T* element(const char* name, int index) const {
        for (auto* widget : window->findChildren<T*>(QString::fromLatin1(name)))
            if (widget->property("index").toInt() == index)
                return widget;
        ADD_FAILURE() << name << "(" << index << ") not found";
        return nullptr;
    }

    QLineEdit* cell(const char* name, int index) const { return element<QLineEdit>(name, index); }
    QString text(const char* name, int index) const { return cell(name, index)->text(); }

    void show_tab(int index) const {
        auto* tabs = named<QTabWidget>("SSTab1");
        QTabBar* bar = tabs->tabBar();
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(index).center());
        EXPECT_EQ(tabs->currentIndex(), index);
    }

    void click(QAbstractButton* button) const {
        ASSERT_NE(button, nullptr);
        ASSERT_TRUE(button->isVisible()) << button->objectName().toStdString();
        QTest::mouseClick(button, Qt::LeftButton);
    }
    void click(const char* name) const { click(named<QAbstractButton>(name)); }

    // Clicks into a box and types over what it holds.
    void type_over(QLineEdit* box, const QString& text) const {
        ASSERT_NE(box, nullptr);
        ASSERT_TRUE(box->isVisible()) << box->objectName().toStdString();
        QTest::mouseClick(box, Qt::LeftButton);
        QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(box, Qt::Key_Delete);
        QTest::keyClicks(box, text);
    }

    std::unique_ptr<ui::MainWindow> window;
};

} // namespace pds::testing
