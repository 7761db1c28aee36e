#pragma once

#include "platform/services.h"

#include <QWidget>

namespace quorvel {

class Library;

// The material editor: categories, entries and texts of elements and templates.
class EditorWindow : public QWidget
{
    Q_OBJECT

public:
    EditorWindow(Library &library, Services services, QWidget *parent = nullptr);

private:
    Library &m_library;
    Services m_services;
};

} // namespace quorvel
