#pragma once
// The configuration page (the "ZEL配置工具" tab): the module's parameters in lists, fields,
// check boxes and radio buttons, the module's port, model and version, the two buttons that
// read and write the module, and the "关于我们" group. It keeps the module's settings in step
// with its controls, so that a write sends the record as it stands and never reads the
// controls, and it runs its exchanges over the ModuleExchange it is given.
//   config_page_layout.cpp     the controls and where they stand
//   config_page.cpp            the fields' input rules and the controls' change handlers
//   module_exchange_page.cpp   the two exchanges, their verdicts and the port's removal
//   config_page_settings.cpp   the page shown from, and read back into, its saved settings
#include <QWidget>
#include <array>
#include <memory>

#include "core/module/module_settings.h"
#include "core/settings/module_page_settings.h"

class DropDownComboBox;
class ModuleExchange;
class PortSource;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;

// What a device's removal meant to the page.
enum class ModulePortRemoval {
  Unknown,      // the port list could not be read: nothing is known, nothing changed
  OtherDevice,  // the page's port is still listed (or none is chosen), or no module answered on it
  ModuleGone,   // the port a module answered on has gone: the page forgot its model and version
};

class ConfigPage : public QWidget {
  Q_OBJECT

 public:
  // `ports` lists the machine's ports for the port list; it may be null (an empty list).
  ConfigPage(ModuleExchange& exchange, std::shared_ptr<PortSource> ports, QWidget* parent = nullptr);

  // What the controls stand for, code by code; a write sends it.
  ModuleSettings Module;

  // ---- controls ----
  DropDownComboBox* CB_ZELCOMx = nullptr;
  QLabel* L_Model = nullptr;
  QLabel* L_Version = nullptr;
  QLineEdit* E_RFFreq = nullptr;
  QComboBox* CB_RFBaudrate = nullptr;
  QComboBox* CB_Power = nullptr;
  QComboBox* CB_RFCOMBaudRate = nullptr;
  QComboBox* CB_Parity = nullptr;
  QComboBox* CB_RFWakeUpTime = nullptr;
  QLineEdit* E_DelayTime = nullptr;
  QCheckBox* CB_FECEnable = nullptr;
  QLineEdit* E_LocalAddr = nullptr;
  QLineEdit* E_TargetAddr = nullptr;
  std::array<QRadioButton*, 6> RB_PackLength{};
  QCheckBox* CB_PackComplete = nullptr;
  QPushButton* B_ReadConfiguration = nullptr;
  QPushButton* B_WriteConfiguration = nullptr;
  QGroupBox* GroupBox1 = nullptr;
  QPlainTextEdit* M_About = nullptr;

  // ---- field and list handlers (config_page.cpp) ----
  void CB_ZELCOMxDropDown();
  void CB_ZELCOMxChange();
  void E_RFFreqExit();
  void CB_RFBaudrateChange();
  void CB_PowerChange();
  void CB_RFCOMBaudRateChange();
  void CB_ParityChange();
  void CB_RFWakeUpTimeChange();
  void E_DelayTimeExit();
  void E_LocalAddrExit();
  void E_TargetAddrExit();
  void CB_FECEnableClick();
  void CB_PackCompleteClick();
  void RB_PackLengthClick(int index);  // RB_PackLength1Click .. RB_PackLength6Click

  // ---- module exchanges (module_exchange_page.cpp) ----
  void B_ReadConfigurationClick();
  void B_WriteConfigurationClick();
  // Once the module has had its time: judges the exchange, shows a read's values and emits
  // the verdict's caption. Nothing when no exchange waited.
  void EvaluateModuleReply();
  // A device went away: when it was the port a module answered on, the page forgets the
  // module's model and version.
  ModulePortRemoval ModulePortRemoved();

  // ---- saved settings (config_page_settings.cpp) ----
  // The port, the record, and the number fields' texts as the user left them.
  ModulePageSettings ReadSettings() const;
  // Shows `settings`; the exchange takes its port name.
  void ApplySettings(const ModulePageSettings& settings);

 signals:
  // A status text for the window's caption, shown behind the base caption for a second.
  void StatusCaption(const QString& suffix);

 private:
  void CreateParameterControls();
  void BuildParameterRows();
  QWidget* BuildPackLengthChoices();
  QWidget* BuildModuleColumn();
  QWidget* BuildAboutGroup();
  void ConnectHandlers();
  void InstallFieldRules();
  // Shows Module in the lists, fields, check boxes and radio buttons. Lists are set without
  // running their change handlers; a code that a list has no entry for leaves it with no
  // selection, a packet-length code outside 1..6 leaves the radio buttons as they are.
  void ShowModuleSettings();
  void LeaveByteField(QLineEdit* field, uint8_t& value);

  ModuleExchange& exchange_;
  std::shared_ptr<PortSource> ports_;
};
