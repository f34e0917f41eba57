#include "app/Startup.h"

int main(int argc, char** argv)
{
    return iRunApplication(argc, argv);
}
