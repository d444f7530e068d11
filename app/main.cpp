#include "app/Application.h"

int main(int argc, char** argv) {
    velmar::Application app(argc, argv);
    return app.Run();
}
