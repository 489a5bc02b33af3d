#include "shell/velmora_app.h"

int main(int argc, char** argv)
{
    CVelmoraApp app(argc, argv);
    app.InitInstance();
    return 0;
}
