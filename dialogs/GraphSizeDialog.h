#pragma once
// Asks for the size and resolution of an exported graph and shows how many
// pixels a PNG of that size will have.
#include <QDialog>
#include <functional>
#include <memory>

namespace Ui {
class GraphSizeDialog;
}

class GraphSizeDialog : public QDialog {
  Q_OBJECT

public:
  struct Choice {
    double widthMm = 160.0;
    double heightMm = 100.0;
    int dpi = 300;
  };

  explicit GraphSizeDialog(const Choice &start, QWidget *parent = nullptr);
  ~GraphSizeDialog() override;
  Choice choice() const;

  // Runs the dialog modally; false when cancelled. *choice holds the start
  // values and receives the answer.
  static bool ask(QWidget *parent, Choice *choice);
  // Test seam: answers instead of the dialog; nullptr shows the dialog again.
  using Handler = std::function<bool(Choice *)>;
  static void setHandler(Handler handler);

private:
  void showPixels();

  std::unique_ptr<Ui::GraphSizeDialog> ui;
};
