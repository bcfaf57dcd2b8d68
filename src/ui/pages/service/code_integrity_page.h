// The service page "Целостность кода" (its tab is hidden in the operator layout): the checksum of
// the instrument's program memory and its reference.
#pragma once

#include <QWidget>

namespace qmx {

struct AppContext;

class CodeIntegrityPage final : public QWidget {
  Q_OBJECT

 public:
  explicit CodeIntegrityPage(AppContext& context, QWidget* parent = nullptr);
};

}  // namespace qmx
