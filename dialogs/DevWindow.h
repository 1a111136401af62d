#pragma once
// The device set-up dialog: chooses the three instruments, how each is
// reached and the analyzer's settings, in place in the settings record.
// Choices that change which widgets apply are stored at once and rebuild the
// instrument's page; the other fields are read back by OK or by Test.
#include "instruments/DevTables.h"
#include "sweep/CfgStr.h"

#include <QDialog>
#include <memory>

class QComboBox;

namespace Ui {
class DevWindow;
}

class DevWindow : public QDialog {
  Q_OBJECT

public:
  explicit DevWindow(CfgStr *cfg, QWidget *parent = nullptr);
  ~DevWindow() override;

  // Shows the analyzer settings panel that fits d's type.
  void OpnDevPnl(DevStr d);
  // Rebuilds the page of d's instrument (chosen by DevNo) from the record;
  // tg: the analyzer's tracking generator replaces generator 1.
  void UpdDevPnl(DevStr *d, bool tg);
  // Reads the page of d's instrument back into d (and, for the analyzer,
  // into es and fs).
  void UpdVariables(DevStr *d, RcxStr *es, SpxStr *fs);

  // List fillers: entries first..last of texts with their index as value
  // (signals blocked); count texts with their values; sensor models with
  // their product ids.
  static void DevFilLst(QComboBox *cb, const char *const texts[], int first, int last);
  static void CbFilLst(QComboBox *cb, int count, const char *const texts[], const int values[]);
  static void CbFilPmLst(QComboBox *cb, int cnt, const PmStr pm[]);

private slots:
  void on_G1Typ_currentIndexChanged(int index);
  void on_G2Typ_currentIndexChanged(int index);
  void on_AnTyp_currentIndexChanged(int index);
  void on_G1Ift_currentIndexChanged(int index);
  void on_G2Ift_currentIndexChanged(int index);
  void on_AnIft_currentIndexChanged(int index);
  void on_G1Ipa_editingFinished();
  void on_G2Ipa_editingFinished();
  void on_AnIpa_editingFinished();
  void on_G1Pad_valueChanged(int arg1);
  void on_G2Pad_valueChanged(int arg1);
  void on_AnPad_valueChanged(int arg1);
  void on_G1Usn_editingFinished();
  void on_G2Usn_editingFinished();
  void on_AnUsn_editingFinished();
  void on_G1Tst_clicked();
  void on_G2Tst_clicked();
  void on_AnTst_clicked();
  void on_AnTgn_stateChanged(int state);
  void on_AnAZero_clicked();
  void on_RcAta_clicked(bool checked);
  void on_PwTyp_currentIndexChanged(int index);
  void on_PwAut_toggled(bool checked);
  void on_PwMan_toggled(bool checked);
  void on_PwRes_valueChanged(int arg1);
  void on_PwCnt_valueChanged(int arg1);
  void on_DevWindowOk_accepted();

private:
  struct DevPage;

  DevPage *PageOf(const DevStr *d) const;
  void Rebuild(DevStr *d);
  void TypeChosen(DevStr *d, int index);
  void InterfaceChosen(DevStr *d, int index);
  void FillInterfaces(DevPage &page, DevStr *d);
  void ApplyPageRules(DevPage &page, const DevStr &d, bool tg);
  void FillAnalyzerSettings();
  void ApplyAveragingRules();
  void Test(DevStr *d);

  CfgStr *Cfg;
  Ui::DevWindow *ui;
  std::unique_ptr<DevPage> Pages[3];
};
