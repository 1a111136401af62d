#pragma once
// The sweep parameter dialog: edits the sweep of the settings record in place
// and shows the frequencies the analyzer will receive. Every coupled edit
// recomputes the sweep plan and rebuilds the panel from the record.
#include "sweep/CfgStr.h"

#include <QDialog>

class QAbstractSpinBox;

namespace Ui {
class SwpWindow;
}

class SwpWindow : public QDialog {
  Q_OBJECT

public:
  explicit SwpWindow(CfgStr *cfg, QWidget *parent = nullptr);
  ~SwpWindow() override;

public slots:
  void UpdSwpPnl();

private slots:
  void on_dlgSwpOk_accepted();
  void on_G1FMin_editingFinished();
  void on_G1FMax_editingFinished();
  void on_G1FCnt_editingFinished();
  void on_G1FSpn_editingFinished();
  void on_G2FMin_editingFinished();
  void on_G2FMax_editingFinished();
  void on_G2FCnt_editingFinished();
  void on_G2FSpn_editingFinished();
  void on_G1LMin_editingFinished();
  void on_G1LMax_editingFinished();
  void on_G1LSte_editingFinished();
  void on_G2LMin_editingFinished();
  void on_G1LSwp_clicked(bool checked);
  void on_G1RfOn_clicked(bool checked);
  void on_Log_clicked(bool checked);
  void on_RfSw_toggled(bool checked);
  void on_IfSw_toggled(bool checked);
  void on_Num_valueChanged(int arg1);
  void on_Den_valueChanged(int arg1);
  void on_FxdLo_valueChanged(int value);
  void on_FxdIf_valueChanged(int value);
  void on_Usb_valueChanged(int value);
  void on_FSte_editingFinished();
  void on_AnFMin_editingFinished();
  void on_AnAtt_editingFinished();
  // Tells whether the settings that OK would store give a sweep plan.
  void ChkSwpPln();

private:
  void PlanAndRefresh();
  void ReadBack(CfgStr &cfg) const;
  void ApplyPanelRules();
  // The status line under the table: the plan's size, or in red what is wrong.
  void ShowStatus(const QString &text, bool problem);
  void ShowRefusedEntry(const QAbstractSpinBox *box);

  CfgStr *Cfg;
  Ui::SwpWindow *ui;
};
