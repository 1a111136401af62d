#include "dialogs/DevWindow.h"

#include "dialogs/DialogLook.h"
#include "dialogs/UserPrompt.h"
#include "dialogs/WidgetRules.h"
#include "instruments/GenCmd.h"
#include "instruments/MeterZero.h"
#include "instruments/VisaExtensions.h"
#include "instruments/Visa.h"
#include "ui_DevWindow.h"

#include <QEventLoop>
#include <QProgressDialog>
#include <QSignalBlocker>
#include <QThread>
#include <algorithm>
#include <cmath>
#include <type_traits>
#include <vector>

namespace {

constexpr int kGen1 = 1, kGen2 = 2, kAna = 3;
constexpr int kGpib0 = 0, kGpib1 = 1, kRs232 = 2, kLan = 3, kUsb = 4, kLanSocket = 5, kLanHislip = 6;
constexpr int kNoLo = 0, kExternalLo = 31, kUsbSensor = 75, kSensorFallback = 74;

bool In(int value, std::initializer_list<int> set) { return std::find(set.begin(), set.end(), value) != set.end(); }

// Sensor models that also have a LAN port (product ids of PmTable).
bool LanSensor(int productId) { return In(productId, {80, 81, 84, 85, 86}); }
bool Between(int value, int first, int last) { return value >= first && value <= last; }

enum class AnaPanel { None, Ex, Sp, Rc, Pw };

AnaPanel PanelOf(int type)
{
  if (In(type, {32, 37}))
    return AnaPanel::Ex;
  if (In(type, {33, 40, 42, 68, 72}) || Between(type, 46, 50) || Between(type, 52, 66))
    return AnaPanel::Sp;
  if (In(type, {34, 35, 39, 45}))
    return AnaPanel::Rc;
  if (Between(type, 73, 75))
    return AnaPanel::Pw;
  return AnaPanel::None;
}

// The interfaces an instrument of a type offers, in list order, the one the
// type forces (-1: none) and the type whose connector list applies (0: none).
struct InterfaceRule {
  std::vector<int> offered;
  int forced = -1;
  int connectors = 0;
};

InterfaceRule GeneratorInterfaces(int devNo, const DevStr &d)
{
  const int type = d.Type;
  // GEN-05 has a LAN port only in the RF role.
  const bool lan = In(type, {2, 4, 6, 7, 8, 9, 11, 24, 25, 27, 28, 30}) || (devNo == kGen1 && type == 5);
  if (lan)
    return {{kGpib0, kGpib1, kLan}, -1, type == 2 ? 2 : 0};
  if (type == 3)
    return {{kLan}, kLan, 3};
  InterfaceRule rule{{kGpib0, kGpib1}, -1, type == 1 ? 1 : 0};
  if (In(type, {10, 18, 21}))
    rule.offered.push_back(kRs232);
  return rule;
}

InterfaceRule AnalyzerInterfaces(const DevStr &d)
{
  const int type = d.Type;
  if (In(type, {36, 40, 42, 53, 55, 70, 73, 74}) || Between(type, 46, 50) || Between(type, 57, 67)) {
    InterfaceRule rule{{kGpib0, kGpib1}, -1, type == 70 ? 70 : 0};
    if (type == 58)
      rule.offered.push_back(kRs232);
    rule.offered.push_back(kLan);
    return rule;
  }
  switch (type) {
  case 68:
    return {{kLan}, -1, 0};
  case 71:
    return {{kLan}, kLan, 71};
  case kUsbSensor: {
    // A sensor model with a LAN port keeps LAN once chosen; USB otherwise.
    if (LanSensor(d.ProductId))
      return {{kLan, kUsb}, d.Interface == kLan ? kLan : kUsb, 0};
    return {{kUsb}, kUsb, 0};
  }
  case 79:
    return {{kRs232}, kRs232, 0};
  default:
    return {{kGpib0, kGpib1}, -1, type == 69 ? 69 : 0};
  }
}

void Select(QComboBox *cb, int value) { cb->setCurrentIndex(cb->findData(value)); }

// The stored value of the current entry; a list with no current entry reads 0.
int Value(const QComboBox *cb) { return cb->currentIndex() < 0 ? 0 : cb->currentData().toInt(); }

// A double setting shown by a list of whole values (bandwidths, times).
int ListValue(double value)
{
  constexpr double kLimit = 2e9;
  return std::fabs(value) < kLimit ? static_cast<int>(std::lround(value)) : -1;
}

void FillList(QComboBox *cb, const ChoiceList &list) { DevWindow::CbFilLst(cb, list.count, list.texts, list.values); }

void FillConnectors(QComboBox *cb, int type, int rfPort)
{
  cb->clear();
  const QStringList texts = RfPortTexts(type);
  for (int row = 0; row < texts.size(); ++row)
    cb->addItem(texts[row], row);
  Select(cb, rfPort);
}

QString StatusText(ViStatus status)
{
  QString meaning;
  switch (status) {
  case VI_ERROR_RSRC_NFOUND:
    meaning = QStringLiteral("no instrument at this address");
    break;
  case VI_ERROR_INV_RSRC_NAME:
    meaning = QStringLiteral("invalid resource string");
    break;
  case VI_ERROR_TMO:
    meaning = QStringLiteral("no answer within the time-out");
    break;
  case VI_ERROR_LIBRARY_NFOUND:
    meaning = QStringLiteral("no VISA library loaded");
    break;
  default:
    break;
  }
  const QString hex = QString::number(static_cast<quint32>(status), 16).toUpper().rightJustified(8, QLatin1Char('0'));
  const QString code = QStringLiteral("VISA status 0x") + hex;
  return meaning.isEmpty() ? code : code + QStringLiteral(", ") + meaning;
}

}  // namespace

// The widgets of one instrument page, found by the page's name prefix.
struct DevWindow::DevPage {
  QString Title;  // the instrument as message boxes name it
  QComboBox *Typ, *Ift, *Rfp, *Por, *Bau, *Par, *Stp, *Flo;
  QLineEdit *Ipa, *Msg, *Rsc;
  QSpinBox *Pad, *Usn, *Dat, *Rtc1;
  QSlider *Osc;
  QCheckBox *Rst;
  QPushButton *Tst;
  QLabel *IftLbl, *IpaLbl, *PadLbl, *UsnLbl, *RfpLbl, *Rtc1Lbl, *MsgLbl, *OscLbl, *OscIntLbl, *OscExtLbl;
  QLabel *PorLbl, *BauLbl, *ParLbl, *StpLbl, *DatLbl, *FloLbl;

  DevPage(QWidget *form, const QString &prefix, const QString &title) : Title(title)
  {
    const auto bind = [&](auto *&widget, const char *suffix) {
      using Widget = std::remove_reference_t<decltype(*widget)>;
      widget = form->findChild<Widget *>(prefix + QLatin1String(suffix));
      if (!widget)
        qFatal("The device form lacks %s%s", qPrintable(prefix), suffix);
    };
    bind(Typ, "Typ"), bind(Ift, "Ift"), bind(Rfp, "Rfp"), bind(Por, "Por"), bind(Bau, "Bau");
    bind(Par, "Par"), bind(Stp, "Stp"), bind(Flo, "Flo"), bind(Ipa, "Ipa"), bind(Msg, "Msg");
    bind(Rsc, "Rsc"), bind(Pad, "Pad"), bind(Usn, "Usn"), bind(Dat, "Dat"), bind(Rtc1, "Rtc1");
    bind(Osc, "Osc"), bind(Rst, "Rst"), bind(Tst, "Tst"), bind(IftLbl, "IftLbl"), bind(IpaLbl, "IpaLbl");
    bind(PadLbl, "PadLbl"), bind(UsnLbl, "UsnLbl"), bind(RfpLbl, "RfpLbl"), bind(Rtc1Lbl, "Rtc1Lbl");
    bind(MsgLbl, "MsgLbl"), bind(OscLbl, "OscLbl"), bind(OscIntLbl, "OscIntLbl"), bind(OscExtLbl, "OscExtLbl");
    bind(PorLbl, "PorLbl"), bind(BauLbl, "BauLbl"), bind(ParLbl, "ParLbl"), bind(StpLbl, "StpLbl");
    bind(DatLbl, "DatLbl"), bind(FloLbl, "FloLbl");
  }
};

DevWindow::DevWindow(CfgStr *cfg, QWidget *parent) : QDialog(parent), Cfg(cfg), ui(new Ui::DevWindow)
{
  ui->setupUi(this);
  ApplyDialogLook(this);
  Pages[0] = std::make_unique<DevPage>(this, QStringLiteral("G1"), QStringLiteral("Generator1 (RF)"));
  Pages[1] = std::make_unique<DevPage>(this, QStringLiteral("G2"), QStringLiteral("Generator2 (LO)"));
  Pages[2] = std::make_unique<DevPage>(this, QStringLiteral("An"), QStringLiteral("Analyzer (IF)"));

  Cfg->Gen1.DevNo = kGen1;
  Cfg->Gen2.DevNo = kGen2;
  Cfg->Ana.DevNo = kAna;
  DevFilLst(ui->G1Typ, DevTypeTable, kGen1FirstType, kGen1LastType);
  DevFilLst(ui->G2Typ, DevTypeTable, kGen2FirstType, kGen2LastType);
  DevFilLst(ui->AnTyp, DevTypeTable, kAnaFirstType, kAnaLastType);
  const bool tg = Cfg->Ana.TrackingGenerator;
  UpdDevPnl(&Cfg->Gen1, tg);
  UpdDevPnl(&Cfg->Gen2, tg);
  UpdDevPnl(&Cfg->Ana, tg);
  OpnDevPnl(Cfg->Ana);
}

DevWindow::~DevWindow() { delete ui; }

DevWindow::DevPage *DevWindow::PageOf(const DevStr *d) const
{
  return Between(d->DevNo, kGen1, kAna) ? Pages[d->DevNo - 1].get() : nullptr;
}

void DevWindow::DevFilLst(QComboBox *cb, const char *const texts[], int first, int last)
{
  const QSignalBlocker blocker(cb);
  cb->clear();
  for (int index = first; index <= last; ++index)
    cb->addItem(QString::fromLatin1(texts[index]), index);
}

void DevWindow::CbFilLst(QComboBox *cb, int count, const char *const texts[], const int values[])
{
  cb->clear();
  for (int row = 0; row < count; ++row)
    cb->addItem(QString::fromLatin1(texts[row]), values[row]);
}

void DevWindow::CbFilPmLst(QComboBox *cb, int cnt, const PmStr pm[])
{
  cb->clear();
  for (int row = 0; row < cnt; ++row)
    cb->addItem(QString::fromLatin1(pm[row].Name), pm[row].ProductId);
}

void DevWindow::UpdDevPnl(DevStr *d, bool tg)
{
  DevPage *page = PageOf(d);
  if (!page)
    return;
  const bool analyzer = d->DevNo == kAna;
  std::vector<QSignalBlocker> blocked;
  for (QObject *widget : std::initializer_list<QObject *>{page->Typ, page->Ift, page->Pad, page->Ipa})
    blocked.emplace_back(widget);
  if (analyzer)
    blocked.emplace_back(ui->PwTyp);

  page->Rst->setChecked(d->Reset);
  page->Ipa->setText(d->IpAddress);
  page->Osc->setValue(d->ExtRef);
  page->Pad->setValue(d->GpibAddress);
  page->Usn->setValue(d->SerialNo);
  page->Dat->setValue(d->DataBits);
  // Shown from the record too, or OK would store the form's default.
  page->Rtc1->setValue(d->RtcNo);
  if (analyzer)
    ui->AnTgn->setChecked(d->TrackingGenerator);
  page->Msg->clear();
  Select(page->Typ, d->Type);

  FillInterfaces(*page, d);
  if (d->DevNo == kGen2 && d->Type == kNoLo) {
    Cfg->Gen2.StartFreq = 0.0;
    Cfg->Gen2.StopFreq = 0.0;
    Cfg->FixedLo = true;
    Cfg->FixedIf = false;
  }
  ApplyPageRules(*page, *d, tg);
  if (analyzer)
    FillAnalyzerSettings();
  MakeRsrc(*d);
  page->Rsc->setText(d->VisaResourceString);
}

void DevWindow::FillInterfaces(DevPage &page, DevStr *d)
{
  InterfaceRule rule = d->DevNo == kAna ? AnalyzerInterfaces(*d) : GeneratorInterfaces(d->DevNo, *d);
  // An instrument free to choose its LAN protocol speaks VXI-11, a raw
  // socket or HiSLIP.
  const auto lan = std::find(rule.offered.begin(), rule.offered.end(), kLan);
  if (lan != rule.offered.end() && rule.forced < 0)
    rule.offered.insert(lan + 1, {kLanSocket, kLanHislip});
  if (rule.forced >= 0)
    d->Interface = rule.forced;
  page.Ift->clear();
  for (int value : rule.offered)
    page.Ift->addItem(QString::fromLatin1(InterfaceList.texts[InterfaceList.indexOf(value)]), value);
  int row = page.Ift->findData(d->Interface);
  if (row < 0) {
    row = 0;
    d->Interface = rule.offered.front();
  }
  page.Ift->setCurrentIndex(row);

  // The serial lists are filled for every type, so that OK never reads an
  // empty list back as a baud rate or stop bits of 0.
  FillList(page.Por, SerialPortList);
  FillList(page.Bau, BaudrateList);
  FillList(page.Par, ParityList);
  FillList(page.Stp, StopBitsList);
  FillList(page.Flo, FlowControlList);
  Select(page.Por, d->SerialPort);
  Select(page.Bau, d->Baudrate);
  Select(page.Par, d->Parity);
  Select(page.Stp, d->StopBits);
  Select(page.Flo, d->FlowControl);
  FillConnectors(page.Rfp, rule.connectors, d->RfPort);
}

void DevWindow::ApplyPageRules(DevPage &page, const DevStr &d, bool tg)
{
  const int type = d.Type;
  const bool generator = d.DevNo != kAna;
  bool active = true;
  if (d.DevNo == kGen1)
    active = !tg;
  else if (d.DevNo == kGen2)
    active = !tg && type != kNoLo && type != kExternalLo;

  if (generator) {
    page.Typ->setEnabled(!tg);
    SetEnabled({page.Ift, page.IftLbl, page.Tst, page.MsgLbl, page.Rst, page.Osc, page.OscLbl, page.OscIntLbl,
                page.OscExtLbl},
               active);
  }
  const int iface = d.Interface;
  SetVisible({page.Ipa, page.IpaLbl}, active && In(iface, {kLan, kLanSocket, kLanHislip}));
  SetVisible({page.Pad, page.PadLbl}, active && (iface == kGpib0 || iface == kGpib1));
  SetVisible({page.Usn, page.UsnLbl}, active && iface == kUsb);
  const bool serial = iface == kRs232 && (!generator || (active && In(type, {10, 18, 21})));
  SetVisible({page.Por, page.PorLbl, page.Bau, page.BauLbl, page.Par, page.ParLbl, page.Stp, page.StpLbl, page.Dat,
              page.DatLbl, page.Flo, page.FloLbl},
             serial);
  if (generator) {
    SetVisible({page.Rfp, page.RfpLbl}, active && In(type, {1, 2, 3}));
    SetVisible({page.Rtc1, page.Rtc1Lbl}, !tg && type == 3);
  } else {
    const bool tester = In(type, {69, 70, 71});
    SetVisible({page.Rfp, page.RfpLbl}, tester);
    SetEnabled({page.Rfp, page.RfpLbl}, tester);
    SetVisible({page.Rtc1, page.Rtc1Lbl}, type == 71);
    // Power meters take no external reference.
    SetEnabled({page.Osc, page.OscLbl, page.OscIntLbl, page.OscExtLbl}, !Between(type, 73, 80));
    ui->AnAZero->setVisible(MeterCanZero(type));
  }
}

void DevWindow::FillAnalyzerSettings()
{
  const RcxStr &rcx = Cfg->Rcx;
  ui->RcAtt->setValue(rcx.RecAttenuation);
  ui->RcAta->setChecked(rcx.RecAutoAtt);
  ui->RcAtt->setEnabled(!rcx.RecAutoAtt);
  ui->RcIbw->setValue(rcx.RecIbw);
  FillList(ui->RcDet, DetectorList);
  Select(ui->RcDet, rcx.RecDetector);
  FillList(ui->RcUni, UnitList);
  Select(ui->RcUni, rcx.RecUnitsDbm);

  const SpxStr &spx = Cfg->Spx;
  ui->SpRlv->setValue(spx.RefLevel);
  ui->ExRlv->setValue(spx.RefLevel);
  for (QComboBox *cb : {ui->SpRbw, ui->SpVbw, ui->ExRbw, ui->ExVbw})
    FillList(cb, BandwidthList);
  Select(ui->SpRbw, ListValue(spx.Rbw));
  Select(ui->ExRbw, ListValue(spx.Rbw));
  Select(ui->SpVbw, ListValue(spx.Vbw));
  Select(ui->ExVbw, ListValue(spx.Vbw));
  FillList(ui->SpSwt, SweepTimeList);
  Select(ui->SpSwt, ListValue(spx.SweepTime));
  FillList(ui->SpFst, SpeedList);
  Select(ui->SpFst, spx.Fast);

  DevStr &ana = Cfg->Ana;
  CbFilPmLst(ui->PwTyp, kPmCount, PmTable);
  Select(ui->PwTyp, ana.ProductId);
  // The instruments average automatically whenever the auto flag is set, so
  // that is what the buttons show; their slots keep the two flags opposite.
  const bool autoAveraging = ana.PwxxAutoAveraging != 0;
  ui->PwAut->setChecked(autoAveraging);
  ui->PwMan->setChecked(!autoAveraging);
  ui->PwRes->setValue(ana.PwxxResolution);
  ui->PwCnt->setValue(ana.PwxxCount);
  ApplyAveragingRules();
}

void DevWindow::ApplyAveragingRules()
{
  const bool autoAveraging = Cfg->Ana.PwxxAutoAveraging != 0;
  SetEnabled({ui->PwRes, ui->PwResLbl}, autoAveraging);
  SetEnabled({ui->PwCnt, ui->PwCntLbl}, !autoAveraging);
}

void DevWindow::OpnDevPnl(DevStr d)
{
  SetVisible({ui->Rc, ui->Sp, ui->Ex, ui->Pw}, false);
  switch (PanelOf(d.Type)) {
  case AnaPanel::Ex:
    ui->Ex->show();
    break;
  case AnaPanel::Sp: {
    ui->Sp->show();
    const bool speedChoice = In(d.Type, {46, 57, 61});
    SetEnabled({ui->SpFst, ui->SpFstLbl}, speedChoice);
    if (!speedChoice) {
      // The list shows what the record holds, or OK would undo this.
      Cfg->Spx.Fast = 1;
      Select(ui->SpFst, 1);
    }
    break;
  }
  case AnaPanel::Rc:
    ui->Rc->show();
    break;
  case AnaPanel::Pw:
    ui->Pw->show();
    SetEnabled({ui->PwTyp, ui->PwTypLbl}, d.Type == kUsbSensor);
    break;
  case AnaPanel::None:
    break;
  }
}

void DevWindow::UpdVariables(DevStr *d, RcxStr *es, SpxStr *fs)
{
  const DevPage *page = PageOf(d);
  if (!page)
    return;
  d->RfPort = Value(page->Rfp);
  d->RtcNo = page->Rtc1->value();
  d->Reset = page->Rst->isChecked();
  d->IpAddress = page->Ipa->text();
  d->ExtRef = page->Osc->value();
  d->GpibAddress = page->Pad->value();
  d->SerialNo = page->Usn->value();
  d->DataBits = page->Dat->value();
  d->SerialPort = Value(page->Por);
  d->Baudrate = Value(page->Bau);
  d->Parity = Value(page->Par);
  d->StopBits = Value(page->Stp);
  d->FlowControl = Value(page->Flo);
  if (d->DevNo != kAna)
    return;

  es->RecAttenuation = ui->RcAtt->value();
  es->RecAutoAtt = ui->RcAta->isChecked();
  es->RecIbw = ui->RcIbw->value();
  es->RecDetector = Value(ui->RcDet);
  es->RecUnitsDbm = Value(ui->RcUni);
  switch (PanelOf(d->Type)) {
  case AnaPanel::Sp:
    fs->RefLevel = ui->SpRlv->value();
    fs->Rbw = Value(ui->SpRbw);
    fs->Vbw = Value(ui->SpVbw);
    fs->SweepTime = Value(ui->SpSwt);
    fs->Fast = Value(ui->SpFst);
    break;
  case AnaPanel::Ex:
    fs->RefLevel = ui->ExRlv->value();
    fs->Rbw = Value(ui->ExRbw);
    fs->Vbw = Value(ui->ExVbw);
    break;
  default:
    break;
  }
  Cfg->PwuIndex = ui->PwTyp->currentIndex();
  d->ProductId = Value(ui->PwTyp);
}

void DevWindow::Rebuild(DevStr *d) { UpdDevPnl(d, Cfg->Ana.TrackingGenerator); }

void DevWindow::TypeChosen(DevStr *d, int index)
{
  if (index < 0)
    return;
  d->Type = PageOf(d)->Typ->itemData(index).toInt();
  Rebuild(d);
}

void DevWindow::InterfaceChosen(DevStr *d, int index)
{
  if (index < 0)
    return;
  d->Interface = PageOf(d)->Ift->itemData(index).toInt();
  Rebuild(d);
}

void DevWindow::on_G1Typ_currentIndexChanged(int index) { TypeChosen(&Cfg->Gen1, index); }
void DevWindow::on_G2Typ_currentIndexChanged(int index) { TypeChosen(&Cfg->Gen2, index); }

void DevWindow::on_AnTyp_currentIndexChanged(int index)
{
  if (index < 0)
    return;
  DevStr &ana = Cfg->Ana;
  ana.Type = ui->AnTyp->itemData(index).toInt();
  if (ana.Type == kUsbSensor && !Cfg->SensorDriverLoaded) {
    ana.Type = kSensorFallback;
    UserPrompt::warning(this, QStringLiteral("Analyzer (IF)"),
                        QStringLiteral("Kestrova PWM-Toolkit not installed. Changed Analyzer to PWM2"));
  }
  Rebuild(&ana);
  OpnDevPnl(ana);
}

void DevWindow::on_G1Ift_currentIndexChanged(int index) { InterfaceChosen(&Cfg->Gen1, index); }
void DevWindow::on_G2Ift_currentIndexChanged(int index) { InterfaceChosen(&Cfg->Gen2, index); }
void DevWindow::on_AnIft_currentIndexChanged(int index) { InterfaceChosen(&Cfg->Ana, index); }

void DevWindow::on_G1Ipa_editingFinished()
{
  Cfg->Gen1.IpAddress = ui->G1Ipa->text();
  Rebuild(&Cfg->Gen1);
}

void DevWindow::on_G2Ipa_editingFinished()
{
  Cfg->Gen2.IpAddress = ui->G2Ipa->text();
  Rebuild(&Cfg->Gen2);
}

void DevWindow::on_AnIpa_editingFinished()
{
  Cfg->Ana.IpAddress = ui->AnIpa->text();
  Rebuild(&Cfg->Ana);
}

void DevWindow::on_G1Pad_valueChanged(int arg1)
{
  Cfg->Gen1.GpibAddress = arg1;
  Rebuild(&Cfg->Gen1);
}

void DevWindow::on_G2Pad_valueChanged(int arg1)
{
  Cfg->Gen2.GpibAddress = arg1;
  Rebuild(&Cfg->Gen2);
}

void DevWindow::on_AnPad_valueChanged(int arg1)
{
  Cfg->Ana.GpibAddress = arg1;
  Rebuild(&Cfg->Ana);
}

void DevWindow::on_G1Usn_editingFinished()
{
  Cfg->Gen1.SerialNo = ui->G1Usn->value();
  Rebuild(&Cfg->Gen1);
}

void DevWindow::on_G2Usn_editingFinished()
{
  Cfg->Gen2.SerialNo = ui->G2Usn->value();
  Rebuild(&Cfg->Gen2);
}

void DevWindow::on_AnUsn_editingFinished()
{
  Cfg->Ana.SerialNo = ui->AnUsn->value();
  Rebuild(&Cfg->Ana);
}

void DevWindow::on_G1Tst_clicked() { Test(&Cfg->Gen1); }
void DevWindow::on_G2Tst_clicked() { Test(&Cfg->Gen2); }
void DevWindow::on_AnTst_clicked() { Test(&Cfg->Ana); }

void DevWindow::Test(DevStr *d)
{
  DevPage *page = PageOf(d);
  page->Msg->clear();
  UpdVariables(d, &Cfg->Rcx, &Cfg->Spx);
  d->QueryIdn = true;
  // An answer from an earlier test must not pass for this one's.
  d->Idn.clear();
  // A test opens the instrument afresh; the session of an earlier open would
  // otherwise stay open until the program ends.
  DevDropSession(*d);
  const ViStatus status = DevOpen(*d);
  page->Rsc->setText(d->VisaResourceString);
  if (status < 0) {
    // The VISA library may know more than its status: "port 5025 refused".
    const QString reason = VisaFailureReason();
    const QString failure = QStringLiteral("Test failed: %1").arg(reason.isEmpty() ? StatusText(status) : reason);
    page->Msg->setText(failure);
    const QString hint = DevReachHint(*d);
    UserPrompt::warning(this, page->Title,
                        failure + QStringLiteral(" (") + d->VisaResourceString + QStringLiteral(").") +
                            (hint.isEmpty() ? QString() : QStringLiteral("\n\n") + hint));
    return;
  }
  page->Msg->setText(d->Idn.trimmed().isEmpty() ? QStringLiteral("Opened; the instrument sent no identification.")
                                                : d->Idn.trimmed());
}

void DevWindow::on_AnTgn_stateChanged(int state)
{
  // Without a generator of its own the analyzer would measure its noise
  // while nothing drives the device.
  if (state != Qt::Unchecked && !AnaHasTrkGen(Cfg->Ana.Type)) {
    {
      const QSignalBlocker blocker(ui->AnTgn);
      ui->AnTgn->setChecked(false);
    }
    Cfg->Ana.TrackingGenerator = false;
    UserPrompt::warning(this, QStringLiteral("Analyzer (IF)"),
                        QStringLiteral("The analyzer %1 has no tracking generator.").arg(DevTypeText(Cfg->Ana.Type)));
    return;
  }
  Cfg->Ana.TrackingGenerator = state != Qt::Unchecked;
  Rebuild(&Cfg->Gen1);
  Rebuild(&Cfg->Gen2);
}

// Zeroing takes seconds on a real meter; it runs beside the dialog, which
// shows that it is busy and then what came of it.
void DevWindow::on_AnAZero_clicked()
{
  DevStr &ana = Cfg->Ana;
  UpdVariables(&ana, &Cfg->Rcx, &Cfg->Spx);
  const QString model = ana.Type == kUsbSensor ? ui->PwTyp->currentText() : DevTypeText(ana.Type);
  QProgressDialog progress(QStringLiteral("Zeroing the %1. Keep RF away from its input.").arg(model), QString(), 0,
                           0, this);
  progress.setWindowTitle(QStringLiteral("Meter Zero"));
  progress.setWindowModality(Qt::WindowModal);
  progress.setMinimumDuration(0);
  progress.show();
  ViStatus status = VI_SUCCESS;
  QEventLoop waiting;
  std::unique_ptr<QThread> worker(QThread::create([&ana, &status] { status = MeterZero(ana); }));
  connect(worker.get(), &QThread::finished, &waiting, &QEventLoop::quit);
  worker->start();
  waiting.exec();
  worker->wait();
  progress.close();
  if (status < VI_SUCCESS)
    UserPrompt::warning(this, QStringLiteral("Meter Zero"),
                        QStringLiteral("The %1 was not zeroed: %2 (%3).").arg(model, StatusText(status),
                                                                            ana.VisaResourceString));
  else
    UserPrompt::information(this, QStringLiteral("Meter Zero"), QStringLiteral("The %1 is zeroed.").arg(model));
}

void DevWindow::on_RcAta_clicked(bool checked)
{
  Cfg->Rcx.RecAutoAtt = checked;
  ui->RcAtt->setEnabled(!checked);
}

void DevWindow::on_PwTyp_currentIndexChanged(int index)
{
  if (!Between(index, 0, kPmCount - 1))
    return;
  Cfg->Ana.ProductId = PmTable[index].ProductId;
  Rebuild(&Cfg->Ana);
}

void DevWindow::on_PwAut_toggled(bool checked)
{
  Cfg->Ana.PwxxAutoAveraging = checked ? 1 : 0;
  Cfg->Ana.PwxxManualAveraging = checked ? 0 : 1;
  ApplyAveragingRules();
}

void DevWindow::on_PwMan_toggled(bool checked)
{
  Cfg->Ana.PwxxManualAveraging = checked ? 1 : 0;
  Cfg->Ana.PwxxAutoAveraging = checked ? 0 : 1;
  ApplyAveragingRules();
}

void DevWindow::on_PwRes_valueChanged(int arg1) { Cfg->Ana.PwxxResolution = arg1; }
void DevWindow::on_PwCnt_valueChanged(int arg1) { Cfg->Ana.PwxxCount = arg1; }

void DevWindow::on_DevWindowOk_accepted()
{
  for (DevStr *d : {&Cfg->Gen1, &Cfg->Gen2, &Cfg->Ana})
    UpdVariables(d, &Cfg->Rcx, &Cfg->Spx);
}
