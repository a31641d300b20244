// To be written: only enough for the tree to link.
#include "seriallink.h"

SerialLink::SerialLink(QObject *parent) : QObject(parent) {}
SerialLink::~SerialLink() = default;
