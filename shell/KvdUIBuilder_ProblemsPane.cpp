#include "shell/KvdUIBuilder_ProblemsPane.h"

#include "core/DeferredError.h"
#include "shell/KvdUIBuilder_Icons.h"

#include <QHeaderView>
#include <QTabWidget>

#include <algorithm>

namespace {

bool SameFindings(const QList<TKvdCheckFinding>& a, const QList<TKvdCheckFinding>& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](const auto& x, const auto& y) {
        return x.ID == y.ID && x.Severity == y.Severity && x.Rule == y.Rule && x.Message == y.Message;
    });
}

int SeverityImage(TKvdCheckSeverity severity) {
    switch (severity) {
    case TKvdCheckSeverity::Error:
        return KvdIcons::imgError;
    case TKvdCheckSeverity::Warning:
        return KvdIcons::imgWarning;
    case TKvdCheckSeverity::Information:
        break;
    }
    return KvdIcons::imgInformation;
}

} // namespace

TProblemsPane::TProblemsPane(QTabWidget* tabs) : QTreeWidget(tabs), m_tabs(tabs) {
    setObjectName(QStringLiteral("ProblemsPane"));
    setRootIsDecorated(false);
    setUniformRowHeights(true);
    setFrameShape(QFrame::NoFrame);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setIconSize(QSize(16, 16));
    setHeaderLabels({QStringLiteral("Severity"), QStringLiteral("ID"), QStringLiteral("Rule"),
                     QStringLiteral("Message")});
    header()->setStretchLastSection(true);
    const QFontMetrics metrics(font());
    setColumnWidth(colSeverity, 16 + metrics.horizontalAdvance(QStringLiteral("information")) + 24);
    setColumnWidth(colID, metrics.horizontalAdvance(QStringLiteral("0000")) + 12);
    setColumnWidth(colRule, metrics.horizontalAdvance(QStringLiteral("caption-too-long")) + 12);
    // Double-click and Enter both activate a row.
    connect(this, &QTreeWidget::itemActivated, this, [this](QTreeWidgetItem* item) {
        RunGuarded([this, item] {
            if (item && OnActivate)
                OnActivate(item->data(colID, Qt::UserRole).toInt());
        });
    });
    m_tabs->addTab(this, Caption());
}

void TProblemsPane::Check(const QString& layoutText) {
    Show(CheckLayoutText(layoutText));
}

void TProblemsPane::Show(const QList<TKvdCheckFinding>& findings) {
    if (SameFindings(findings, m_findings))
        return;
    m_findings = findings;
    static const QList<QIcon> images = KvdIcons::ImageList();
    QList<QTreeWidgetItem*> rows;
    rows.reserve(findings.size());
    for (const TKvdCheckFinding& finding : findings) {
        auto* row = new QTreeWidgetItem;
        row->setIcon(colSeverity, images.at(SeverityImage(finding.Severity)));
        row->setText(colSeverity, CheckSeverityName(finding.Severity));
        row->setText(colID, finding.ID >= 0 ? QString::number(finding.ID) : QString());
        row->setData(colID, Qt::UserRole, finding.ID);
        row->setText(colRule, finding.Rule);
        row->setText(colMessage, finding.Message);
        row->setToolTip(colMessage, finding.Message);
        rows << row;
    }
    setUpdatesEnabled(false);
    clear();
    addTopLevelItems(rows);
    setUpdatesEnabled(true);
    m_tabs->setTabText(m_tabs->indexOf(this), Caption());
}

QString TProblemsPane::Caption() const {
    return m_findings.isEmpty() ? QStringLiteral("Problems")
                                : QStringLiteral("Problems (%1)").arg(m_findings.size());
}
