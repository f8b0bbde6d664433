#pragma once
// The grid's in-place editor: a single-line editor over the current value cell, with an optional button
// on its right (ellipsis or drop-down arrow) and a drop-down list whose entries may be drawn by the item.

#include "inspector/ELPropInspGrid.h"

#include <QLineEdit>

class QListWidget;
class QToolButton;

class TELPropsPageInplaceEdit : public QLineEdit {
    Q_OBJECT
    friend class TELCustomPropsPage;

public:
    explicit TELPropsPageInplaceEdit(TELCustomPropsPage* page);
    ~TELPropsPageInplaceEdit() override;

    static constexpr int ButtonWidth = 16;
    static constexpr int DropDownRows = 8;

    TELPropsPageItemEditStyle EditStyle() const { return m_editStyle; }
    void SetEditStyle(TELPropsPageItemEditStyle value);
    QToolButton* Button() const { return m_button; }
    QListWidget* PickList() const { return m_pickList; }
    bool ListVisible() const;
    void DropDown();
    // Closes the list; with accept the chosen entry becomes the text and is applied.
    void CloseUp(bool accept);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ButtonClicked();
    void PlaceButton();
    TELPropsPageItem* Item() const;

    TELCustomPropsPage* m_page;
    TELPropsPageItemEditStyle m_editStyle = esSimple;
    QToolButton* m_button;
    QListWidget* m_pickList;
    bool m_closing = false;
};
