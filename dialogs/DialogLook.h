#pragma once
// The look that every set-up dialog shares.
class QDialog;

// US English number format (decimal point whatever the user's locale), the
// program's icon, the common style sheet in front of the dialog's own rules,
// and the size of the form as a fixed size.
void ApplyDialogLook(QDialog *dialog);
