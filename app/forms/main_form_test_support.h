#pragma once

// Test support shared by the two main forms' tests: a form on a shown,
// active window (so that focus and visibility are real) and a small input
// list with one property of each kind the forms show.

#include <gtest/gtest.h>

#include <QPoint>
#include <QWidget>

#include "analysis/property.h"
#include "platform/widget_test_main.h"

template <class Form>
class MainFormTest : public ::testing::Test {
  protected:
    void SetUp() override {
        window.resize(700, 400);
        ASSERT_TRUE(form->Create(&window, QPoint(0, 0)));
        window.show();
        window.activateWindow();
        widget_test::RunEventsUntil([&] { return window.isActiveWindow(); }, 2000);
    }

    // alpha, a selection of tails, the effect size d, and a count.
    void FillInputs() {
        inputs.push_back(new PropertyDouble("$\\alpha$ err prob", "0.05", false));
        auto* tails = new PropertySelection("Tail(s)");
        tails->AddOption("One");
        tails->AddOption("Two");
        tails->SetIndex(1);
        tails->SetHelpText("One- or two-tailed $\\chi^2$ test");
        inputs.push_back(tails);
        auto* effect = new PropertyExDouble("Effect size d", "0.5", false);
        effect->testId = 201;
        inputs.push_back(effect);
        inputs.push_back(new PropertyLong("Total sample size", 128L));
    }

    QWidget window;
    Form* form = new Form(nullptr);
    PropertyList inputs;
    PropertyList outputs;
};
