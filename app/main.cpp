#include "app/CQuvelManApp.h"

int main(int argc, char** argv) {
    velmar::CQuvelManApp app(argc, argv);
    return app.Run();
}
