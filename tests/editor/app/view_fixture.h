// A shown view with scripted prompts, and helpers that state texts with the caret in them.
#pragma once

#include "view/prompts.h"
#include "view/view.h"

#include <QTest>

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace vorn::test {

class ViewTest : public testing::Test {
protected:
    void SetUp() override {
        view = std::make_unique<CView>(prompts);
        view->resize(640, 400);
        view->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(view.get()));
        view->setFocus();
    }

    // Sets the text; a '|' in it marks the caret (and is not part of the text).
    void setText(std::string text) {
        const std::size_t caret = text.find('|');
        if (caret != std::string::npos)
            text.erase(caret, 1);
        view->setDocumentText(text);
        if (caret != std::string::npos)
            view->SendScintilla(QsciScintilla::SCI_GOTOPOS, static_cast<unsigned long>(caret));
    }

    // The text with a '|' where the caret is (or '[' and ']' around a selection).
    std::string textWithCaret() const {
        std::string text = view->documentText();
        const auto start =
            static_cast<std::size_t>(view->SendScintilla(QsciScintilla::SCI_GETSELECTIONSTART));
        const auto end =
            static_cast<std::size_t>(view->SendScintilla(QsciScintilla::SCI_GETSELECTIONEND));
        if (start == end)
            return text.insert(start, "|");
        return text.insert(end, "]").insert(start, "[");
    }

    long position() const { return view->SendScintilla(QsciScintilla::SCI_GETCURRENTPOS); }
    int style(long at) const {
        return static_cast<int>(
            view->SendScintilla(QsciScintilla::SCI_GETSTYLEAT, static_cast<unsigned long>(at)));
    }
    int firstVisibleLine() const {
        return static_cast<int>(view->SendScintilla(QsciScintilla::SCI_GETFIRSTVISIBLELINE));
    }

    ScriptedPrompts prompts;
    std::unique_ptr<CView> view;
};

} // namespace vorn::test
