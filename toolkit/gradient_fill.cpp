#include "gradient_fill.h"

#include <QLibrary>
#include <QPainter>
#include <memory>

namespace toolkit {

namespace {
std::unique_ptr<QLibrary> gradientModule;
}  // namespace

TGradientFillProc GradientFillProc = GradientFillFallback;

bool GradientFillFallback(QPainter* dc, const TRIVERTEX* vertices, std::uint32_t vertexCount,
                          const void*, std::uint32_t, std::uint32_t) {
  if (dc == nullptr || !dc->isActive() || vertexCount < 2) return false;
  const TRIVERTEX& topLeft = vertices[0];
  const TRIVERTEX& bottomRight = vertices[1];
  dc->fillRect(QRect(QPoint(topLeft.x, topLeft.y), QPoint(bottomRight.x - 1, bottomRight.y - 1)),
               Qt::white);
  return true;
}

bool ChooseGradientFill(const QString& modulePath) {
  ReleaseGradientModule();
  auto module = std::make_unique<QLibrary>(modulePath);
  if (!module->load()) return false;
  const auto routine = reinterpret_cast<TGradientFillProc>(module->resolve("GradientFill"));
  if (routine == nullptr) {
    module->unload();
    return false;
  }
  GradientFillProc = routine;
  gradientModule = std::move(module);
  return true;
}

void ReleaseGradientModule() {
  GradientFillProc = GradientFillFallback;
  if (gradientModule) {
    gradientModule->unload();
    gradientModule.reset();
  }
}

}  // namespace toolkit
