#ifndef TOOLKITTRANSLATION_H
#define TOOLKITTRANSLATION_H

class QCoreApplication;

// Makes Russian the default locale (dates, numbers) and installs the
// toolkit's own Russian texts (message box buttons, file dialogs) from its
// translations folder. Without that translation installed the toolkit's
// texts stay English, after a warning.
void installToolkitTranslation(QCoreApplication &app);

#endif // TOOLKITTRANSLATION_H
