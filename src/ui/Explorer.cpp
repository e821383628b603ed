#include "ui/Explorer.h"

#include "util/Text.h"
#include "ui/QtText.h"

void CExplorer1::navigate(const std::string& target) {
  location_ = target;
  const bool web = pv::startsWith(target, "http://") || pv::startsWith(target, "https://");
  setUrl(web ? QUrl(toQt(target)) : QUrl::fromLocalFile(pathToQt(target)));
}
