#include "tests/support/modal_answerer.h"

struct ModalAnswerer::State {};

ModalAnswerer::ModalAnswerer(HeaderAnswer) {}
ModalAnswerer::~ModalAnswerer() = default;
std::string ModalAnswerer::boxes() const {
  return std::string();
}
int ModalAnswerer::headerDialogs() const {
  return 0;
}
