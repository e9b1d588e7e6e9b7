#pragma once

#include <QString>

#include <functional>

class QDialog;

// The tests' one way to deal with a modal window: once a modal window of the
// given class is open, runs check on it, then makes sure it is closed so the
// opener's exec() returns. Fails after five seconds if none opened modally,
// closing any such window left open. Message boxes go through the
// ScriptedPrompter instead.
void whenModal(const QString &className, std::function<void(QDialog *)> check);
