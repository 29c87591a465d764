#include "ui/Layout.h"

#include <stdexcept>

const ControlLayout& ControlNamed(const Layout& layout, const std::string& name)
{
    for (const ControlLayout& control : layout)
        if (name == control.name)
            return control;
    throw std::logic_error("layout has no control " + name);
}
