#pragma once

#include "history/run_record.h"

#include <QList>
#include <QString>
#include <QWidget>

class HistoryStore;
class QChart;
class QChartView;
class QComboBox;
class QKeyEvent;
class QPushButton;
class QTableView;
class RunTableModel;

// The runs of one tool about one subject (a site and keyword, a domain, an address), newest
// first, and each figure's number over time. Opened from the main window (Ctrl+H) and the tray;
// Esc closes it.
class HistoryWindow : public QWidget {
    Q_OBJECT
public:
    explicit HistoryWindow(HistoryStore& store, QWidget* parent = nullptr);
    ~HistoryWindow() override;

    // Shows that tool ("keyword-rank", …) and the runs about input and keyword, or its most
    // recent subject when it has none such; the runs are read once.
    void selectTool(const QString& tool, const QString& input = {}, const QString& keyword = {});
    // Shows the runs about input and keyword, when the tool has any.
    void selectSubject(const QString& input, const QString& keyword = {});
    const QList<RunRecord>& shownRuns() const;
    QChart* chart() const;

    // A subject's newest runs shown at first: thousands of them would take seconds to read and
    // draw, and more points than the chart has pixels. A button shows the rest.
    static constexpr int kShownRuns = 1000;

public slots:
    // Reads the subjects and runs again, keeping the selection where it still exists.
    void reload();

private:
    // Fills the subject picker, choosing wanted when it is there, and shows its runs.
    void listSubjects(const QStringList& wanted = {});
    void showRuns();
    // The labels the chart follows: a related search's, those of the chosen row's keyword.
    QStringList chartLabels();
    void drawChart();
    void exportRuns(bool json);
    void deleteSelected();
    void clearAll();
    QString tool() const;
    void keyPressEvent(QKeyEvent* event) override;

    HistoryStore& store_;
    QComboBox* toolPicker_;
    QComboBox* subjectPicker_;
    QTableView* table_;
    RunTableModel* model_;
    QChartView* chartView_;
    QPushButton* exportCsv_;
    QPushButton* exportJson_;
    QPushButton* delete_;
    QPushButton* clear_;
    QPushButton* showEvery_;
    bool everyRun_ = false;  // the rest of the subject's runs were asked for
    QString chartedKeyword_; // the related search's keyword the chart follows
};
