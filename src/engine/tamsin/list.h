// Singly linked lists of the numerical library: the list owns its elements, the caller
// owns the data unless the list was given a destroy function.
#pragma once

struct Tam_ListElement {
    void* data = nullptr;
    Tam_ListElement* next = nullptr;
};

struct Tam_List {
    int size = 0;
    void (*destroy)(void* data) = nullptr;
    Tam_ListElement* head = nullptr;
    Tam_ListElement* tail = nullptr;
};

// A new empty list; destroy, when given, frees each element's data when the list is freed.
Tam_List* tam_list_new(void (*destroy)(void* data));
// Frees the elements (and with a destroy function their data) and the list; null is allowed.
void tam_list_free(Tam_List* list);
// Inserts data after the element, or at the head when the element is null. 0 on success,
// -1 when the list is null.
int tam_list_insert_next(Tam_List* list, Tam_ListElement* element, const void* data);

inline int tam_list_size(const Tam_List* list)
{
    return list ? list->size : 0;
}
inline Tam_ListElement* tam_list_head(const Tam_List* list)
{
    return list ? list->head : nullptr;
}
inline Tam_ListElement* tam_list_tail(const Tam_List* list)
{
    return list ? list->tail : nullptr;
}
inline Tam_ListElement* tam_list_next(const Tam_ListElement* element)
{
    return element ? element->next : nullptr;
}
inline void* tam_list_data(const Tam_ListElement* element)
{
    return element ? element->data : nullptr;
}
