// The accessible interfaces of the window's own widgets.
#include "app/FaceAccessibility.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QWidget>
#include <algorithm>
#include <array>
#include <string_view>

#include "app/UpgradeDlg.h"
#include "ui/ButtonSlot.h"
#include "ui/ProgressDisplay.h"
#include "ui/SkinLabel.h"
#include "wizard/ControlNames.h"

namespace fwu {
namespace {

CUpgradeDlg* Window(QWidget* widget) {
    return widget != nullptr ? qobject_cast<CUpgradeDlg*>(widget->window()) : nullptr;
}

// The window: a dialog whose children are the widgets shown, page controls first and the buttons last.
class FaceWindowAccessible : public QAccessibleWidget {
public:
    explicit FaceWindowAccessible(CUpgradeDlg* window) : QAccessibleWidget(window, QAccessible::Dialog) {}

    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Description) {
            return PageDescription(static_cast<CUpgradeDlg*>(widget())->Page());
        }
        return QAccessibleWidget::text(t);
    }
    int childCount() const override { return static_cast<int>(Shown().size()); }
    QAccessibleInterface* child(int index) const override {
        const QList<QWidget*> shown = Shown();
        return index >= 0 && index < shown.size() ? QAccessible::queryAccessibleInterface(shown[index])
                                                  : nullptr;
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        return child != nullptr ? static_cast<int>(Shown().indexOf(qobject_cast<QWidget*>(child->object())))
                                : -1;
    }

private:
    QList<QWidget*> Shown() const {
        QList<QWidget*> controls;
        QList<QWidget*> buttons;
        for (QObject* object : widget()->children()) {
            auto* child = qobject_cast<QWidget*>(object);
            if (child == nullptr || child->isWindow() || !child->isVisibleTo(widget())) {
                continue;
            }
            (qobject_cast<ButtonSlot*>(child) != nullptr ? buttons : controls).append(child);
        }
        std::sort(buttons.begin(), buttons.end(), [](QWidget* a, QWidget* b) {
            return SlotIndex(static_cast<ButtonSlot*>(a)->Slot()) <
                   SlotIndex(static_cast<ButtonSlot*>(b)->Slot());
        });
        return controls + buttons;
    }
};

// A button slot: a push button named after its caption, pressed as Space on it does.
class ButtonSlotAccessible : public QAccessibleWidget {
public:
    explicit ButtonSlotAccessible(ButtonSlot* slot) : QAccessibleWidget(slot, QAccessible::Button) {}

    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Name) {
            return ButtonCaption(Plate()->Set());
        }
        return QAccessibleWidget::text(t);
    }
    QStringList actionNames() const override { return {pressAction(), setFocusAction()}; }
    void doAction(const QString& action) override {
        if (action == pressAction()) {
            Plate()->Press();
        } else {
            QAccessibleWidget::doAction(action);
        }
    }
    QStringList keyBindingsForAction(const QString& action) const override {
        const CUpgradeDlg* window = Window(Plate());
        const char letter = ButtonAccelerator(Plate()->Set());
        if (action != pressAction() || window == nullptr || letter == 0 ||
            SlotForAccelerator(letter, window->ButtonImageSet()) != Plate()->Slot()) {
            return {};
        }
        return {QStringLiteral("Alt+%1").arg(QLatin1Char(letter))};
    }

private:
    ButtonSlot* Plate() const { return static_cast<ButtonSlot*>(widget()); }
};

// A label: static text; a label named for what it shows (a value on the verify page) keeps its text as
// the value, any other is named by its text.
class SkinLabelAccessible : public QAccessibleWidget {
public:
    explicit SkinLabelAccessible(CSkinLabel* label) : QAccessibleWidget(label, QAccessible::StaticText) {}

    QString text(QAccessible::Text t) const override {
        const auto* label = static_cast<CSkinLabel*>(widget());
        switch (t) {
            case QAccessible::Name:
                return label->accessibleName().isEmpty() ? label->Text() : label->accessibleName();
            case QAccessible::Value:
                return label->Text();
            case QAccessible::Description:  // whole, however small the label draws it
                return label->accessibleDescription().isEmpty() ? label->Text()
                                                                : label->accessibleDescription();
            default:
                return QAccessibleWidget::text(t);
        }
    }
};

// The strip bar: a progress bar from 0 to 100 at the percent it paints, described by the status line.
class StripBarAccessible : public QAccessibleWidget, public QAccessibleValueInterface {
public:
    explicit StripBarAccessible(StripBar* bar) : QAccessibleWidget(bar, QAccessible::ProgressBar) {}

    void* interface_cast(QAccessible::InterfaceType t) override {
        if (t == QAccessible::ValueInterface) {
            return static_cast<QAccessibleValueInterface*>(this);
        }
        return QAccessibleWidget::interface_cast(t);
    }
    QString text(QAccessible::Text t) const override {
        switch (t) {
            case QAccessible::Value:
                return QStringLiteral("%1%").arg(Bar()->Percent());
            case QAccessible::Description: {
                const auto* status =
                    widget()->parentWidget()->findChild<CSkinLabel*>(QStringLiteral("progressStatus"));
                return status != nullptr ? status->Text() : QString();
            }
            default:
                return QAccessibleWidget::text(t);
        }
    }
    QVariant currentValue() const override { return Bar()->Percent(); }
    void setCurrentValue(const QVariant&) override {}  // the bar shows the upload; nobody sets it
    QVariant maximumValue() const override { return kMaxStrips; }
    QVariant minimumValue() const override { return 0; }
    QVariant minimumStepSize() const override { return 1; }

private:
    StripBar* Bar() const { return static_cast<StripBar*>(widget()); }
};

QAccessibleInterface* FaceAccessibleFactory(const QString&, QObject* object) {
    if (auto* window = qobject_cast<CUpgradeDlg*>(object)) {
        return new FaceWindowAccessible(window);
    }
    if (auto* slot = qobject_cast<ButtonSlot*>(object)) {
        return new ButtonSlotAccessible(slot);
    }
    if (auto* label = qobject_cast<CSkinLabel*>(object)) {
        return new SkinLabelAccessible(label);
    }
    if (auto* bar = qobject_cast<StripBar*>(object)) {
        return new StripBarAccessible(bar);
    }
    return nullptr;
}

void Announce(QObject* object, QAccessible::Event type) {
    QAccessibleEvent event(object, type);
    QAccessible::updateAccessibility(&event);
}

}  // namespace

void InstallFaceAccessibility() {
    static const bool installed = [] {
        QAccessible::installFactory(FaceAccessibleFactory);
        return true;
    }();
    (void)installed;
}

QString PageDescription(int page) {
    static const std::array<const char*, 5> kPages{
        "Welcome. This Utility will upgrade the firmware for your Router.",
        "Enter the Router's IP Address and Password in the fields below.",
        "Verify that the information below is correct before you click the Upgrade button to upgrade the "
        "Router.",
        "Do not close this program or unplug the Router while it is being upgraded. If the upgrade fails, "
        "restart the Router, then click Retry to try again.",
        "Congratulations. You have successfully upgraded your Router.",
    };
    if (page < 0 || page >= static_cast<int>(kPages.size())) {
        return {};
    }
    return QLatin1String(kPages[static_cast<std::size_t>(page)]);
}

void AnnouncePage(QWidget& window) {
    for (QObject* object : window.children()) {
        auto* control = qobject_cast<QWidget*>(object);
        if (control == nullptr) {
            continue;
        }
        const QByteArray objectName = control->objectName().toLatin1();
        const std::string_view name = AccessibleControlName(
            std::string_view(objectName.constData(), static_cast<std::size_t>(objectName.size())));
        if (!name.empty()) {
            control->setAccessibleName(QLatin1String(name.data(), static_cast<qsizetype>(name.size())));
        }
    }
    Announce(&window, QAccessible::DescriptionChanged);
    for (ButtonSlot* slot : window.findChildren<ButtonSlot*>(Qt::FindDirectChildrenOnly)) {
        Announce(slot, QAccessible::NameChanged);
    }
}

}  // namespace fwu
