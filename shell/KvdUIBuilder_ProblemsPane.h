#pragma once
// The Problems pane: a tab beside the log pane that lists the findings of the layout checks for the
// current layout, one row each (severity, ID, rule, message), and counts them on its tab. The main
// window hands it the layout text of every refresh run; activating a row (double-click or Enter) reports
// the row's element ID.

#include "layout/KvdUILayoutChecks.h"

#include <QTreeWidget>

#include <functional>

class QTabWidget;

class TProblemsPane : public QTreeWidget {
    Q_OBJECT

public:
    enum TColumn { colSeverity, colID, colRule, colMessage };

    // Adds the pane as the last tab of tabs.
    explicit TProblemsPane(QTabWidget* tabs);

    // Checks the layout text and shows the findings; when they are the ones already shown, the rows stay
    // as they are (with their selection and scroll position).
    void Check(const QString& layoutText);
    void Show(const QList<TKvdCheckFinding>& findings);
    const QList<TKvdCheckFinding>& Findings() const { return m_findings; }
    // "Problems", or "Problems (N)" while there are N findings.
    QString Caption() const;

    // A row was activated: the ID of its element (-1 for the layout as a whole).
    std::function<void(int id)> OnActivate;

private:
    QTabWidget* m_tabs;
    QList<TKvdCheckFinding> m_findings;
};
