#include "program.h"

namespace kestrova {

Program::Program(Services& svc, std::string folder) : services(svc), executable_folder(std::move(folder)) {
    for (Form* form : std::initializer_list<Form*>{&Form1, &Form2, &Form3, &Form4, &Form5, &Form6}) {
        services.AttachForm(*form);
    }
}

}  // namespace kestrova
