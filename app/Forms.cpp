#include "app/Forms.h"

#include "app/About.h"
#include "app/Main.h"
#include "app/Select.h"
#include "lineditor/Dessin.h"
#include "widgets/Xfert.h"

TMainForm* MainForm = nullptr;
TAboutBox* AboutBox = nullptr;
TXfertForm* XfertForm = nullptr;
TDessinForm* DessinForm = nullptr;
TSelectForm* SelectForm = nullptr;

Forms::Forms(qv7::TransportSource transport) {
    main_ = std::make_unique<TMainForm>(std::move(transport));
    MainForm = main_.get();
    about_ = std::make_unique<TAboutBox>();
    AboutBox = about_.get();
    xfert_ = std::make_unique<TXfertForm>();
    XfertForm = xfert_.get();
    dessin_ = std::make_unique<TDessinForm>();
    DessinForm = dessin_.get();
    select_ = std::make_unique<TSelectForm>();
    SelectForm = select_.get();
}

Forms::~Forms() {
    SelectForm = nullptr;
    select_.reset();
    DessinForm = nullptr;
    dessin_.reset();
    XfertForm = nullptr;
    xfert_.reset();
    AboutBox = nullptr;
    about_.reset();
    MainForm = nullptr;
    main_.reset();
}
