#include "app/Accessibility.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <utility>

#include "app/TelvaraMain.h"

namespace telvara {
namespace {

constexpr char kStatusMark[] = "telvaraStatusLine";

// Qt presents a label as static text, which readers do not watch. As a status
// bar named by its caption, each new caption (Qt reports every change of a
// label's text as a name change) reaches the reader as a new status.
class StatusLineInterface : public QAccessibleWidget {
 public:
  explicit StatusLineInterface(QLabel* label) : QAccessibleWidget(label, QAccessible::StatusBar) {}
  QString text(QAccessible::Text t) const override {
    if (t == QAccessible::Name) return static_cast<const QLabel*>(widget())->text();
    return QAccessibleWidget::text(t);
  }
};

// Factories installed later are asked before Qt's own, for every class name.
QAccessibleInterface* StatusLineFactory(const QString& /*className*/, QObject* object) {
  auto* label = qobject_cast<QLabel*>(object);
  return label && label->property(kStatusMark).toBool() ? new StatusLineInterface(label) : nullptr;
}

void ExposeAsStatus(QLabel* label) {
  QAccessible::installFactory(StatusLineFactory);  // a second install is ignored
  label->setProperty(kStatusMark, true);
  // Setting the design caption already made and kept Qt's interface for the
  // label: drop it, so that the next query goes through the factory.
  QAccessibleInterface* made = QAccessible::queryAccessibleInterface(label);
  if (made && made->role() != QAccessible::StatusBar)
    QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(made));
}

// Applies the label's caption now and after every change of it. Qt announces
// each call of a widget's name or description setter, so a caption set again
// unchanged is not passed on.
void FollowCaption(AutoSizeLabel* label, std::function<void(const QString&)> apply) {
  apply(label->text());
  label->onCaption = [apply = std::move(apply), last = label->text()](const QString& caption) mutable {
    if (caption == last) return;
    last = caption;
    apply(caption);
  };
}

}  // namespace

void ExposeToAssistiveTech(TelvaraMain& w) {
  // The heading above the query box names it, in either mode; Qt announces
  // each new name. The buddies add the "labelled by" relation readers use.
  FollowCaption(w.Label1[1], [box = w.Text1](const QString& caption) { box->setAccessibleName(caption); });
  w.Label1[1]->setBuddy(w.Text1);
  // On Linux Qt keeps a combo box's current item as its name, since AT-SPI
  // signals a new choice as a name change; there the relation to the caption
  // above says what the box chooses. Elsewhere the name does.
  w.Combo1->setAccessibleName(w.Label1[0]->text());
  w.Label1[0]->setBuddy(w.Combo1);

  w.ListView1->setAccessibleName(QStringLiteral("検索結果"));
  FollowCaption(w.Label2, [list = w.ListView1](const QString& caption) { list->setAccessibleDescription(caption); });
  ExposeAsStatus(w.Label2);
}

}  // namespace telvara
