#include "console_port.h"

namespace varmet {

const char *objectName(Control control)
{
    switch (control) {
    case Control::LabeledEdit1:
        return "LabeledEdit1";
    case Control::LabeledEdit5:
        return "LabeledEdit5";
    case Control::LabeledEdit6:
        return "LabeledEdit6";
    case Control::LabeledEdit7:
        return "LabeledEdit7";
    case Control::LabeledEdit8:
        return "LabeledEdit8";
    case Control::LabeledEdit9:
        return "LabeledEdit9";
    case Control::LabeledEdit14:
        return "LabeledEdit14";
    case Control::LabeledEdit15:
        return "LabeledEdit15";
    case Control::LabeledEdit16:
        return "LabeledEdit16";
    case Control::LabeledEdit18:
        return "LabeledEdit18";
    case Control::SpinEdit1:
        return "SpinEdit1";
    case Control::SpinEdit2:
        return "SpinEdit2";
    case Control::SpinEdit3:
        return "SpinEdit3";
    case Control::CheckBox1:
        return "CheckBox1";
    case Control::CheckBox2:
        return "CheckBox2";
    case Control::RadioButton1:
        return "RadioButton1";
    case Control::Label12:
        return "Label12";
    case Control::Label19:
        return "Label19";
    case Control::Label13:
        return "Label13";
    case Control::Edit1:
        return "Edit1";
    case Control::LabeledEdit2:
        return "LabeledEdit2";
    case Control::LabeledEdit3:
        return "LabeledEdit3";
    case Control::LabeledEdit11:
        return "LabeledEdit11";
    case Control::LabeledEdit20:
        return "LabeledEdit20";
    case Control::LabeledEdit21:
        return "LabeledEdit21";
    case Control::LabeledEdit22:
        return "LabeledEdit22";
    case Control::LabeledEdit23:
        return "LabeledEdit23";
    case Control::LabeledEdit24:
        return "LabeledEdit24";
    case Control::LabeledEdit25:
        return "LabeledEdit25";
    case Control::LabeledEdit26:
        return "LabeledEdit26";
    case Control::LabeledEdit27:
        return "LabeledEdit27";
    case Control::LabeledEdit28:
        return "LabeledEdit28";
    case Control::LabeledEdit29:
        return "LabeledEdit29";
    case Control::LabeledEdit30:
        return "LabeledEdit30";
    case Control::LabeledEdit31:
        return "LabeledEdit31";
    case Control::LabeledEdit32:
        return "LabeledEdit32";
    case Control::LabeledEdit33:
        return "LabeledEdit33";
    case Control::LabeledEdit34:
        return "LabeledEdit34";
    case Control::LabeledEdit35:
        return "LabeledEdit35";
    case Control::Count:
        break;
    }
    return "";
}

} // namespace varmet
