#pragma once
// The Name row above the inspector, shown with the View option "Element names": the name of the one
// selected element, which the user changes there. Empty and disabled for none or several; a name the
// element refuses is shown as it was, and the element reports why.

#include <QWidget>

class QLabel;
class QLineEdit;
class TELDesigner;

class TNameRow : public QWidget {
    Q_OBJECT

public:
    explicit TNameRow(QWidget* parent);
    // The designer whose selection the row names.
    void SetDesigner(TELDesigner* designer) { m_designer = designer; }

    QLineEdit* Edit() const { return m_edit; }
    // Lines the caption up with the inspector's rows, whose name column is that wide.
    void AlignCaption(int nameColumnWidth);
    // Shows the selection's name again; nothing while the row is hidden.
    void Update();

private:
    void Edited();

    TELDesigner* m_designer = nullptr;
    QLabel* m_label;
    QLineEdit* m_edit;
};
