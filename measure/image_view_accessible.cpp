#include "image_view_accessible.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QPointer>
#include <array>

#include "image_view.h"

namespace measure {
namespace {

class RoiAccessible : public QAccessibleInterface {
 public:
  RoiAccessible(ImageView* view, int index) : view_(view), index_(index) {}

  bool isValid() const override { return !view_.isNull(); }
  QObject* object() const override { return nullptr; }
  QWindow* window() const override { return view_->window()->windowHandle(); }
  QAccessibleInterface* parent() const override {
    return QAccessible::queryAccessibleInterface(view_);
  }
  QAccessibleInterface* child(int) const override { return nullptr; }
  int childCount() const override { return 0; }
  int indexOfChild(const QAccessibleInterface*) const override { return -1; }
  QAccessibleInterface* childAt(int, int) const override { return nullptr; }
  QString text(QAccessible::Text kind) const override {
    if (kind != QAccessible::Name) return {};
    const imaging::Roi& roi = view_->rois()[index_];
    return QStringLiteral("%1: x %2, y %3, %4 × %5")
        .arg(RoiName(index_))
        .arg(roi.x)
        .arg(roi.y)
        .arg(roi.width)
        .arg(roi.height);
  }
  void setText(QAccessible::Text, const QString&) override {}
  QRect rect() const override { return view_->roiScreenRect(index_); }
  QAccessible::Role role() const override { return QAccessible::ListItem; }
  QAccessible::State state() const override {
    QAccessible::State state;
    state.selectable = state.focusable = true;
    state.selected = view_->selectedRoi() == index_;
    state.focused = state.selected && view_->hasFocus();
    return state;
  }

 private:
  QPointer<ImageView> view_;
  int index_;
};

class ImageViewAccessible : public QAccessibleWidget {
 public:
  explicit ImageViewAccessible(ImageView* view) : QAccessibleWidget(view, QAccessible::List) {
    for (int index = 0; index < 2; ++index) {
      rois_[index] = QAccessible::registerAccessibleInterface(new RoiAccessible(view, index));
    }
  }
  ~ImageViewAccessible() override {
    for (const QAccessible::Id id : rois_) QAccessible::deleteAccessibleInterface(id);
  }

  int childCount() const override { return 2; }
  QAccessibleInterface* child(int index) const override {
    return index == 0 || index == 1 ? QAccessible::accessibleInterface(rois_[index]) : nullptr;
  }
  int indexOfChild(const QAccessibleInterface* child) const override {
    for (int index = 0; index < 2; ++index) {
      if (QAccessible::accessibleInterface(rois_[index]) == child) return index;
    }
    return -1;
  }
  QAccessibleInterface* childAt(int x, int y) const override {
    for (int index = 0; index < 2; ++index) {
      if (child(index)->rect().contains(x, y)) return child(index);
    }
    return nullptr;
  }
  QAccessibleInterface* focusChild() const override {
    return widget()->hasFocus() ? child(static_cast<ImageView*>(widget())->selectedRoi()) : nullptr;
  }

 private:
  std::array<QAccessible::Id, 2> rois_{};
};

}  // namespace

void InstallImageViewAccessibility() {
  static const bool installed = [] {
    QAccessible::installFactory([](const QString&, QObject* object) -> QAccessibleInterface* {
      auto* view = dynamic_cast<ImageView*>(object);
      return view != nullptr ? new ImageViewAccessible(view) : nullptr;
    });
    return true;
  }();
  (void)installed;
}

void AnnounceRoiChange(ImageView& view, int index) {
  if (!QAccessible::isActive()) return;
  QAccessibleInterface* described = QAccessible::queryAccessibleInterface(&view);
  QAccessibleInterface* roi = described != nullptr ? described->child(index) : nullptr;
  if (roi == nullptr) return;
  QAccessibleEvent named(roi, QAccessible::NameChanged);
  QAccessible::updateAccessibility(&named);
  if (view.hasFocus() && view.selectedRoi() == index) {
    QAccessibleEvent focused(roi, QAccessible::Focus);
    QAccessible::updateAccessibility(&focused);
  }
}

}  // namespace measure
