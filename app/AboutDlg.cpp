#include "app/AboutDlg.h"

#include <QGridLayout>
#include <QIcon>
#include <QLabel>
#include <QPushButton>

#include "res/AppVersion.h"
#include "res/StringTable.h"
#include "ui/Latin1.h"
#include "upgrade/AttemptLog.h"
#include "wizard/AboutTexts.h"

namespace fwu {

CAboutDlg::CAboutDlg(QWidget* parent)
    : QDialog(parent),
      iconLabel(new QLabel(this)),
      versionLabel(new QLabel(Latin1(AboutVersionLine(AppVersion())), this)),
      noteLabel(new QLabel(QLatin1String(kAboutNote), this)),
      okButton(new QPushButton(QStringLiteral("OK"), this)) {
    const std::string_view title = LoadString(IDS_APP_TITLE);
    setWindowTitle(Latin1(AboutCaption(title)));
    const QIcon icon(QStringLiteral(":/ICON/150.png"));
    setWindowIcon(icon);
    iconLabel->setObjectName(QStringLiteral("aboutIcon"));
    iconLabel->setPixmap(icon.pixmap(32, 32));
    iconLabel->setFixedSize(32, 32);
    versionLabel->setObjectName(QStringLiteral("aboutVersion"));
    noteLabel->setObjectName(QStringLiteral("aboutNote"));
    okButton->setObjectName(QStringLiteral("aboutOk"));
    okButton->setDefault(true);
    connect(okButton, &QPushButton::clicked, this, &QDialog::accept);

    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(16, 12, 12, 12);
    layout->setHorizontalSpacing(16);
    layout->addWidget(iconLabel, 0, 0, 2, 1, Qt::AlignTop);
    layout->addWidget(versionLabel, 0, 1);
    layout->addWidget(noteLabel, 1, 1);
    layout->addWidget(okButton, 0, 2, Qt::AlignTop);
    // Where every attempt is logged, so a user can find it when asked for it.
    auto* logLabel = new QLabel(Latin1(std::string(LoadString(IDS_ABOUT_LOG)) + AttemptLogPath()), this);
    logLabel->setObjectName(QStringLiteral("aboutLog"));
    logLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(logLabel, 2, 1, 1, 2);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

}  // namespace fwu
