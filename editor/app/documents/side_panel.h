// The panel beside a document's text. For now it holds the two empty pages "Tags" and
// "Resources"; the trees of the movie's tags and resources take their places.
#pragma once

#include <QTabWidget>

namespace vorn {

class CView;

class CSidePanel : public QTabWidget {
    Q_OBJECT

public:
    explicit CSidePanel(QWidget* parent = nullptr);

    // Builds the panel's content from the view's text; called when a document opens and when
    // the user asks for it.
    virtual void rebuild(CView& view);
};

} // namespace vorn
