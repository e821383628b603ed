#include "controls/ComboAccessible.h"

#include <QAbstractItemView>
#include <QAccessibleWidget>
#include <QComboBox>
#include <QLineEdit>

namespace {

// Qt names a drop-down list on this platform by its current entry; here the
// name is its accessible name or the label it is the buddy of, and the entry
// is its value. Children: the text field of an editable one, then the list.
class ComboAccessible : public QAccessibleWidget {
 public:
  explicit ComboAccessible(QComboBox* box) : QAccessibleWidget(box, QAccessible::ComboBox) {}

  QString text(QAccessible::Text t) const override {
    if (t == QAccessible::Value) return box()->currentText();
    return QAccessibleWidget::text(t);
  }
  int childCount() const override { return box()->isEditable() && box()->lineEdit() ? 2 : 1; }
  QAccessibleInterface* child(int index) const override {
    QObject* c = index == childCount() - 1 ? static_cast<QObject*>(box()->view())
                 : index == 0              ? static_cast<QObject*>(box()->lineEdit())
                                           : nullptr;
    return c ? QAccessible::queryAccessibleInterface(c) : nullptr;
  }
  int indexOfChild(const QAccessibleInterface* child) const override {
    for (int i = 0; i < childCount(); ++i)
      if (child && this->child(i) == child) return i;
    return -1;
  }
  QAccessible::State state() const override {
    QAccessible::State s = QAccessibleWidget::state();
    s.expandable = true;
    s.expanded = box()->view()->isVisible();
    s.collapsed = !s.expanded;
    s.editable = box()->isEditable();
    return s;
  }
  QStringList actionNames() const override { return {showMenuAction(), pressAction()}; }
  void doAction(const QString& action) override {
    if (action != showMenuAction() && action != pressAction()) return;
    if (box()->view()->isVisible())
      box()->hidePopup();
    else
      box()->showPopup();
  }

 private:
  QComboBox* box() const { return static_cast<QComboBox*>(widget()); }
};

QAccessibleInterface* comboAccessible(const QString& className, QObject* object) {
  if (className == QLatin1String("QComboBox") && object && object->isWidgetType())
    return new ComboAccessible(static_cast<QComboBox*>(object));
  return nullptr;
}

}  // namespace

void installComboAccessible() {
  static const bool registered = (QAccessible::installFactory(comboAccessible), true);
  (void)registered;
}
