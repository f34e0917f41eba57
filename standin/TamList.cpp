// The numerical library's lists and image header texts.
#include "tamsin.h"

Tam_List* tam_list_new(void (*destroy)(void* data))
{
    auto* list = new Tam_List;
    list->destroy = destroy;
    return list;
}

void tam_list_free(Tam_List* list)
{
    if (!list)
        return;
    Tam_ListElement* element = list->head;
    while (element) {
        Tam_ListElement* next = element->next;
        if (list->destroy)
            list->destroy(element->data);
        delete element;
        element = next;
    }
    delete list;
}

int tam_list_insert_next(Tam_List* list, Tam_ListElement* element, const void* data)
{
    if (!list)
        return -1;
    auto* inserted = new Tam_ListElement;
    inserted->data = const_cast<void*>(data);
    if (!element) {
        inserted->next = list->head;
        list->head = inserted;
        if (!list->tail)
            list->tail = inserted;
    } else {
        inserted->next = element->next;
        element->next = inserted;
        if (list->tail == element)
            list->tail = inserted;
    }
    ++list->size;
    return 0;
}

void tam_initialise_image_header_info(QString& header, int format, int type)
{
    const char* formatName = format == TAM_GREY ? "GREY" : format == TAM_RGBA ? "RGBA" : "RGB";
    const char* typeName = type == TAM_UINT16 ? "UInt16" : type == TAM_FLOAT32 ? "Float32" : "UInt8";
    header = QStringLiteral("%1 %2").arg(QLatin1String(formatName), QLatin1String(typeName));
}
